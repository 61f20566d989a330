#pragma once
// What the catchable termination signals do before the process ends: remove the staging files that
// are still pending, and wait for a file that is being overwritten in place to be whole.
#include "platform/system_result.h"

#include <csignal>
#include <string>

// Once, at start-up: each catchable termination signal whose action is the default one removes the
// pending staging files first and then ends the process as it would have.
void removeStagingFilesOnTermination();

// A staging file's name, removed by a termination signal for as long as this object holds it. Each
// holder has a place of its own, so saves on several threads never share one.
class PendingStagingName {
public:
    PendingStagingName() = default;
    PendingStagingName(const PendingStagingName&) = delete;
    PendingStagingName& operator=(const PendingStagingName&) = delete;
    ~PendingStagingName() { release(); }

    // Holds path in place of any name held before.
    SystemResult hold(const std::string& path);
    // From now on a signal leaves the name alone (it was renamed, or removed by its holder).
    void release();

private:
    int place_ = -1;
};

// For its lifetime the termination signals wait: blocked on this thread, and a handler that runs on
// another thread waits until the object is gone. Only SIGKILL or a power loss can cut the work short:
// a save's rename, or a record written whole to standard output.
class TerminationDeferred {
public:
    TerminationDeferred();
    TerminationDeferred(const TerminationDeferred&) = delete;
    TerminationDeferred& operator=(const TerminationDeferred&) = delete;
    ~TerminationDeferred();

private:
    sigset_t previous_{};
};

// For a termination signal's handler: returns once no TerminationDeferred is alive. Async-signal-safe.
void awaitDeferredTermination() noexcept;
