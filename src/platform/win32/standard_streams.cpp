#include "platform/standard_streams.h"

#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <io.h>

#include <array>
#include <atomic>
#include <csignal>

namespace platform {

namespace {

// Ctrl-C and Ctrl-Break arrive on a thread of their own; SIGTERM through raise.
constexpr std::array<int, 3> endingSignals = {SIGINT, SIGBREAK, SIGTERM};
bool handlerInstalled = false;

// Two slots, so that the handler reads one that is not being changed.
std::array<std::string, 2> lastWordsSlots;
std::atomic<int> lastWordsSlot{-1};

extern "C" void writeLastWordsAndEnd(int signalNumber) {
    const int slot = lastWordsSlot.exchange(-1);
    if (slot >= 0) {
        writeAll(1, lastWordsSlots[static_cast<std::size_t>(slot)]);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

int binaryOutput() {
    static const bool binary = ::_setmode(1, _O_BINARY) != -1;
    static_cast<void>(binary);
    return 1;
}

} // namespace

int binaryStandardInput() {
    ::_setmode(0, _O_BINARY);
    return 0;
}

SystemResult writeStandardOutput(std::string_view bytes) {
    return writeAll(binaryOutput(), bytes);
}

SystemResult writeStandardOutputRecord(std::string_view record, std::string lastWords) {
    if (!handlerInstalled) {
        for (const int signalNumber : endingSignals) {
            std::signal(signalNumber, writeLastWordsAndEnd);
        }
        handlerInstalled = true;
    }
    const SystemResult written = writeAll(binaryOutput(), record);
    const int slot = lastWordsSlot.load() == 0 ? 1 : 0;
    lastWordsSlots[static_cast<std::size_t>(slot)] = std::move(lastWords);
    lastWordsSlot.store(lastWordsSlots[static_cast<std::size_t>(slot)].empty() ? -1 : slot);
    return written;
}

} // namespace platform
