#pragma once
// The job's activity log: one tab-separated record per completed or failed document, spilling into
// numbered files once the base log has grown past 100 KiB. It never throws and never stops a job: it
// tells its caller how a record fared, and the caller decides what the person is told.
#include <ctime>
#include <functional>
#include <string>

class JobUi;

enum class LogWrite {
    Written,
    NotCreated, // the log was missing and could not be created
    ReadOnly,   // the log has no write permission
    Lost,       // the log or its spill file could not be opened or written: nothing of the record is in it
};

class ActivityLog {
public:
    // The local date and time a record carries; replaceable so tests can fix it.
    using Clock = std::function<std::tm()>;
    static std::tm localNow();

    // ui is told what creating the log has to say (a full disk, removed leftovers of ended saves).
    ActivityLog(std::string logPath, JobUi& ui, Clock clock = localNow);

    [[nodiscard]] LogWrite Write(int kind, const std::string& message, const std::string& files);
    static std::string KindName(int kind);
    // Creates the next spill file, advances the spill counter and returns the file's path; empty when
    // the file cannot be created (the counter stays).
    std::string SpillPath();

    // The first two fields of a record: "d/m/yyyy" and "h:m:s" without leading zeros.
    static std::string formatDate(const std::tm& when);
    static std::string formatTime(const std::tm& when);

private:
    bool createLog();
    LogWrite append(int kind, const std::string& message, const std::string& files);
    // SpillPath, for a caller that holds the folder's lock.
    std::string nextSpillPath();

    std::string logPath_;
    std::string counterPath_;
    JobUi& ui_;
    Clock clock_;
};

// Tells the person about a record the log could not take, as the job goes on.
void showLogFailure(JobUi& ui, LogWrite result);

// Kind codes the pipeline writes.
namespace logkind {
inline constexpr int error = 0;
inline constexpr int decryptAndVerify = 13;
inline constexpr int decryption = 14;
inline constexpr int verification = 15;
} // namespace logkind
