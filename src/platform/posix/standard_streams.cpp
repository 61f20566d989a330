#include "platform/standard_streams.h"

#include "platform/file_descriptor.h"
#include "platform/posix/ending_signals.h"
#include "platform/posix/interrupt_stop.h"
#include "platform/posix/termination_cleanup.h"

#include <unistd.h>

#include <atomic>

namespace platform {

namespace {

std::array<struct sigaction, endingSignals.size()> previousActions;
bool handlerInstalled = false;

// Two slots, so that the handler (on whichever thread it runs) reads one that is not being changed.
std::array<std::string, 2> lastWordsSlots;
std::atomic<int> lastWordsSlot{-1};

extern "C" void writeLastWordsAndEnd(int signalNumber) {
    if (interruptStopsWork(signalNumber)) {
        return; // the document ends with a record of its own
    }
    // A record being written on another thread is finished first, so the last words follow it.
    awaitDeferredTermination();
    const int slot = lastWordsSlot.exchange(-1);
    if (slot >= 0) {
        const std::string& words = lastWordsSlots[static_cast<std::size_t>(slot)];
        writeAll(STDOUT_FILENO, words);
    }
    ::sigaction(signalNumber, &previousActions[endingSignalIndex(signalNumber)], nullptr);
    ::raise(signalNumber);
}

void installHandler() {
    if (handlerInstalled) {
        return;
    }
    struct sigaction writing {};
    writing.sa_handler = writeLastWordsAndEnd;
    sigemptyset(&writing.sa_mask);
    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        ::sigaction(endingSignals[i], &writing, &previousActions[i]);
    }
    handlerInstalled = true;
}

} // namespace

int binaryStandardInput() {
    return STDIN_FILENO;
}

SystemResult writeStandardOutput(std::string_view bytes) {
    return writeAll(STDOUT_FILENO, bytes);
}

SystemResult writeStandardOutputRecord(std::string_view record, std::string lastWords) {
    installHandler();
    const TerminationDeferred deferred;
    const SystemResult written = writeAll(STDOUT_FILENO, record);
    const int slot = lastWordsSlot.load() == 0 ? 1 : 0;
    lastWordsSlots[static_cast<std::size_t>(slot)] = std::move(lastWords);
    lastWordsSlot.store(lastWordsSlots[static_cast<std::size_t>(slot)].empty() ? -1 : slot);
    return written;
}

} // namespace platform
