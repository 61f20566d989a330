#include "platform/standard_streams.h"

#include "platform/file_descriptor.h"
#include "platform/last_words.h"
#include "platform/posix/ending_signals.h"
#include "platform/posix/interrupt_stop.h"
#include "platform/posix/termination_cleanup.h"

#include <unistd.h>

#include <utility>

namespace platform {

namespace {

std::array<struct sigaction, endingSignals.size()> previousActions;
bool handlerInstalled = false;

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
