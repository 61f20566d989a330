#pragma once
// The job's activity log: one tab-separated record per completed or failed document, spilling into
// numbered files once the base log has grown past 100 KiB. It never throws and never stops a job.
#include <string>

class JobUi;

class ActivityLog {
public:
    ActivityLog(std::string logPath, JobUi& ui);

    void Write(int kind, const std::string& message, const std::string& files);
    static std::string KindName(int kind);
    // Advances the spill counter and returns the spill file's path.
    std::string SpillPath();

private:
    std::string logPath_;
    std::string counterPath_;
    JobUi& ui_;
};

// Kind codes the pipeline writes.
namespace logkind {
inline constexpr int error = 0;
inline constexpr int decryptAndVerify = 13;
inline constexpr int decryption = 14;
inline constexpr int verification = 15;
} // namespace logkind
