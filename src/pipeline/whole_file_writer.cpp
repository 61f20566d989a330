#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

namespace {

// Overwriting in place cannot be undone, so it is the person's choice.
bool inPlaceConfirmed(const std::string& path, JobUi& ui) {
    return ui.showMessage(
        path + " cannot be replaced by a new file (it has other names or another owner, or its "
               "folder takes no new files), so it would be overwritten in place: its other "
               "names will show the new content, and a program killed midway leaves it part "
               "new, part old. Do you want to overwrite it in place?",
        IconKind::Warning, Buttons::YesNo);
}

} // namespace

SaveStatus WriteWholeFile(const std::string& path, std::string_view bytes, JobUi& ui, ExistingFile existing) {
    const int removed = removeAbandonedStagingFiles(path);
    if (removed > 0) {
        ui.reportAbandonedFilesRemoved(path, removed);
    }
    const SaveStatus status =
        saveWholeFile(path, bytes, existing, [&] { return inPlaceConfirmed(path, ui); });
    if (status == SaveStatus::DiskFull) {
        ui.showMessage("Insufficient hard disk space", IconKind::Warning, Buttons::Ok);
    }
    if (status == SaveStatus::EmptyStagingFileLeft) {
        ui.showMessage("The folder of " + path +
                           " no longer lets a temporary file be removed: it was emptied and left there.",
                       IconKind::Warning, Buttons::Ok);
    }
    return status;
}
