#include "pipeline/key_notice.h"

#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

#include "platform/file_access.h"

void ShowKeyNotice(JobUi& ui, const std::string& markerPath) {
    if (platform::exists(markerPath)) {
        return;
    }
    if (ui.showKeyNotice()) {
        // A marker that cannot be written leaves the notice on; WriteWholeFile has said why.
        WriteWholeFile(markerPath, "k", ui);
    }
}
