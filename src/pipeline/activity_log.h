#pragma once
// The job's activity log: one tab-separated record per completed or failed document, spilling into
// numbered files once the base log has grown past 100 KiB. It never throws and never stops a job.
#include <ctime>
#include <functional>
#include <string>

class JobUi;

class ActivityLog {
public:
    // The local date and time a record carries; replaceable so tests can fix it.
    using Clock = std::function<std::tm()>;
    static std::tm localNow();

    ActivityLog(std::string logPath, JobUi& ui, Clock clock = localNow);

    void Write(int kind, const std::string& message, const std::string& files);
    static std::string KindName(int kind);
    // Advances the spill counter and returns the spill file's path.
    std::string SpillPath();

    // The first two fields of a record: "d/m/yyyy" and "h:m:s" without leading zeros.
    static std::string FormatDate(const std::tm& when);
    static std::string FormatTime(const std::tm& when);

private:
    bool createLog();
    void append(int kind, const std::string& message, const std::string& files);

    std::string logPath_;
    std::string counterPath_;
    JobUi& ui_;
    Clock clock_;
};

// Kind codes the pipeline writes.
namespace logkind {
inline constexpr int error = 0;
inline constexpr int decryptAndVerify = 13;
inline constexpr int decryption = 14;
inline constexpr int verification = 15;
} // namespace logkind
