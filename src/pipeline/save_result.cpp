#include "pipeline/save_result.h"

#include "pipeline/activity_log.h"
#include "pipeline/form_reset.h"
#include "pipeline/job_ui.h"
#include "pipeline/standard_streams.h"

#include "platform/file_access.h"
#include "platform/work_progress.h"

namespace {

SaveOutcome reportSaveFailure(JobContext& job, bool furtherPasses) {
    job.ui.showMessage("Could not save file. Check file properties of the file being overwritten.",
                       IconKind::Error, Buttons::Ok);
    const bool single = job.mode == JobMode::SingleFile;
    job.logOutcome(logkind::error,
                   single ? "Failed to save to output file" : "Could not save to output file");
    resetFormAfterFailure(job.form, {.enableOutput = !single, .emptyCrlPath = single && furtherPasses});
    return SaveOutcome::Failed;
}

SaveOutcome reportCompletion(JobContext& job, Completion completion, bool furtherPasses) {
    const CompletionRecord record = completionRecord(completion, job.mode, furtherPasses);
    job.logOutcome(record.kind, record.text);
    if (job.mode == JobMode::SingleFile) {
        job.ui.showMessage(record.text, IconKind::Success, Buttons::Ok);
    }
    return SaveOutcome::Saved;
}

// Saving the content is the last pass over it: a stop asked for before or during it leaves the
// output as it was. Once the output is in place, termination waits until the job has recorded it
// (the driver lets go after the document's report); an output that is not in place holds nothing.
SaveStatus writeContent(JobContext& job, std::string_view content, ExistingFile existing) {
    const WorkPass pass(WorkStage::Saving, content.size());
    WorkProgress::throwIfStopped();
    job.saveRecordHold.emplace();
    const SaveStatus status = WriteWholeFile(job.pair.output, content, job.ui, existing);
    if (status != SaveStatus::Saved) {
        job.saveRecordHold.reset();
        WorkProgress::throwIfStopped();
    }
    return status;
}

bool overwriteConfirmed(JobContext& job) {
    return job.ui.showMessage(job.pair.output + " file already exists. Do you want to overwrite it?",
                              IconKind::Warning, Buttons::YesNo);
}

} // namespace

SaveOutcome SaveResult(JobContext& job, std::string_view content, Completion completion, bool furtherPasses) {
    const std::string& output = job.pair.output;
    if (job.streams != nullptr && job.streams->isOutput(output)) {
        return job.streams->writeOutput(output, content) ? reportCompletion(job, completion, furtherPasses)
                                                         : reportSaveFailure(job, furtherPasses);
    }
    const bool exists = platform::exists(output);
    if (exists && !overwriteConfirmed(job)) {
        return SaveOutcome::Declined;
    }
    SaveStatus status = writeContent(job, content, exists ? ExistingFile::Replace : ExistingFile::Keep);
    if (status == SaveStatus::Exists) {
        if (!overwriteConfirmed(job)) {
            return SaveOutcome::Declined;
        }
        status = writeContent(job, content, ExistingFile::Replace);
    }
    if (status == SaveStatus::Declined) {
        return SaveOutcome::Declined;
    }
    return status == SaveStatus::Saved ? reportCompletion(job, completion, furtherPasses)
                                       : reportSaveFailure(job, furtherPasses);
}
