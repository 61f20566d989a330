#pragma once
// For the program's other signal handlers: whether a signal stops the work on a document instead
// of ending the process.

namespace platform {

// When signalNumber is SIGINT, stopping work on it was asked for and a job's pass runs, asks the
// pass to stop and returns true: the handler then returns, and the document ends as cancelled with
// its own report. Async-signal-safe.
bool interruptStopsWork(int signalNumber) noexcept;

} // namespace platform
