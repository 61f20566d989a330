#pragma once
// Long work on a document (decoding, decrypting, verifying, saving) reports between blocks how far
// each pass over the bytes has come, and learns there whether the person asked it to stop. A job
// installs one WorkProgress for its length; the loops reach it through WorkPass without being handed
// it, from any thread, and report to nothing when none is installed.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>

// The bytes a loop without blocks of its own works through between two reports: a few
// milliseconds of work, so that a stop takes effect at once and the reports cost nothing.
inline constexpr std::size_t workBlockSize = std::size_t{4} << 20;

enum class WorkStage { Idle, Decoding, Decrypting, Verifying, Saving };

// Thrown between blocks once a stop was asked for; the job turns it into its cancelled outcome.
class WorkStopped : public std::exception {
public:
    const char* what() const noexcept override { return "Processing cancelled"; }
};

class WorkProgress {
public:
    struct Snapshot {
        WorkStage stage = WorkStage::Idle;
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    // Installs this object as the job's for its lifetime; one job at a time per process.
    WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;
    ~WorkProgress();

    // From any thread, and from a signal handler: the running pass stops at its next block.
    void requestStop() noexcept { stop_.store(true); }
    bool stopRequested() const noexcept { return stop_.load(); }
    // True while a pass runs (from a signal handler too).
    bool working() const noexcept { return stage_.load() != WorkStage::Idle; }
    Snapshot snapshot() const noexcept;

    // The installed object; null outside a job.
    static WorkProgress* current() noexcept;
    // Throws WorkStopped when the installed job was asked to stop.
    static void throwIfStopped();

private:
    friend class WorkPass;
    friend class StopHeld;
    std::atomic<bool> stop_{false};
    std::atomic<int> held_{0};
    std::atomic<WorkStage> stage_{WorkStage::Idle};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
};

// One pass of total bytes through a stage, for its scope (the previous pass comes back after it).
class WorkPass {
public:
    WorkPass(WorkStage stage, std::uint64_t total) noexcept;
    WorkPass(const WorkPass&) = delete;
    WorkPass& operator=(const WorkPass&) = delete;
    ~WorkPass();

    // Counts bytes done; throws WorkStopped once a stop was asked for.
    void advance(std::uint64_t bytes) const;
    // The same for threads that must not throw, on the installed job's running pass: false once a
    // stop was asked for. Outside any pass it counts nothing and is always true.
    static bool advanced(std::uint64_t bytes) noexcept;

private:
    WorkProgress* progress_;
    WorkProgress::Snapshot previous_;
};

// Work that must not be left half done (writing over a file in place) holds stops off for its scope.
class StopHeld {
public:
    StopHeld() noexcept;
    StopHeld(const StopHeld&) = delete;
    StopHeld& operator=(const StopHeld&) = delete;
    ~StopHeld();

private:
    WorkProgress* progress_;
};
