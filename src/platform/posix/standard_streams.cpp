#include "platform/standard_streams.h"

#include "platform/file_descriptor.h"
#include "platform/posix/ending_signals.h"
#include "platform/posix/interrupt_stop.h"
#include "platform/posix/termination_cleanup.h"

#include <unistd.h>

#include <atomic>
#include <utility>

namespace platform {

namespace {

std::array<struct sigaction, endingSignals.size()> previousActions;
bool handlerInstalled = false;

// Two slots for each stream, so that the handler (on whichever thread it runs) reads one that is not
// being changed.
struct LastWords {
    std::array<std::string, 2> slots;
    std::atomic<int> slot{-1};

    void set(std::string words) {
        const int next = slot.load() == 0 ? 1 : 0;
        slots[static_cast<std::size_t>(next)] = std::move(words);
        slot.store(slots[static_cast<std::size_t>(next)].empty() ? -1 : next);
    }
    // Async-signal-safe.
    void writeTo(int fd) {
        const int taken = slot.exchange(-1);
        if (taken >= 0) {
            writeAll(fd, slots[static_cast<std::size_t>(taken)]);
        }
    }
};
LastWords onOutput;
LastWords onError;

extern "C" void writeLastWordsAndEnd(int signalNumber) {
    if (interruptStopsWork(signalNumber)) {
        return; // the document ends with a record of its own
    }
    // A record being written on another thread is finished first, so the last words follow it.
    awaitDeferredTermination();
    onOutput.writeTo(STDOUT_FILENO);
    onError.writeTo(STDERR_FILENO);
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
    onOutput.set(std::move(lastWords));
    return written;
}

void setLastWordsOnStandardError(std::string lastWords) {
    installHandler();
    const TerminationDeferred deferred;
    onError.set(std::move(lastWords));
}

} // namespace platform
