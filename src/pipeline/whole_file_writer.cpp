#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"
#include "platform/file_save.h"

bool isReadOnlyFile(const std::string& path) {
    return platform::isReadOnlyFile(path);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, JobUi& ui) {
    const platform::SaveStatus status = platform::saveWholeFile(path, bytes);
    if (status == platform::SaveStatus::DiskFull) {
        ui.showMessage("Insufficient hard disk space", IconKind::Warning, Buttons::Ok);
    }
    return status == platform::SaveStatus::Saved;
}
