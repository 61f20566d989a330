#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

SaveStatus WriteWholeFile(const std::string& path, std::string_view bytes, JobUi& ui, ExistingFile existing) {
    const int removed = removeAbandonedStagingFiles(path);
    if (removed > 0) {
        ui.reportAbandonedFilesRemoved(path, removed);
    }
    const SaveStatus status = saveWholeFile(path, bytes, existing);
    if (status == SaveStatus::DiskFull) {
        ui.showMessage("Insufficient hard disk space", IconKind::Warning, Buttons::Ok);
    }
    return status;
}
