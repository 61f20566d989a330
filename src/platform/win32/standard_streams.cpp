#include "platform/standard_streams.h"

#include "platform/file_descriptor.h"
#include "platform/last_words.h"

#include <fcntl.h>
#include <io.h>

#include <array>
#include <csignal>
#include <utility>

namespace platform {

namespace {

// Ctrl-C and Ctrl-Break arrive on a thread of their own; SIGTERM through raise.
constexpr std::array<int, 3> endingSignals = {SIGINT, SIGBREAK, SIGTERM};
bool handlerInstalled = false;

LastWords onOutput;
LastWords onError;

extern "C" void writeLastWordsAndEnd(int signalNumber) {
    onOutput.writeTo(1);
    onError.writeTo(2);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

int binaryOutput() {
    static const bool binary = ::_setmode(1, _O_BINARY) != -1;
    static_cast<void>(binary);
    return 1;
}

void installHandler() {
    if (!handlerInstalled) {
        for (const int signalNumber : endingSignals) {
            std::signal(signalNumber, writeLastWordsAndEnd);
        }
        handlerInstalled = true;
    }
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
    installHandler();
    const SystemResult written = writeAll(binaryOutput(), record);
    onOutput.set(std::move(lastWords));
    return written;
}

void setLastWordsOnStandardError(std::string lastWords) {
    installHandler();
    onError.set(std::move(lastWords));
}

} // namespace platform
