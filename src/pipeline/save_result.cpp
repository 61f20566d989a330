#include "pipeline/save_result.h"

#include "pipeline/activity_log.h"
#include "pipeline/completion_text.h"
#include "pipeline/form_reset.h"
#include "pipeline/job_ui.h"
#include "pipeline/standard_streams.h"

#include "platform/file_access.h"

namespace {

SaveOutcome reportSaveFailure(JobContext& job, bool furtherPasses) {
    job.ui.showMessage("Could not save file. Check file properties of the file being overwritten.",
                       IconKind::Error, Buttons::Ok);
    const bool single = job.mode == JobMode::SingleFile;
    job.log.Write(logkind::error, single ? "Failed to save to output file" : "Could not save to output file",
                  job.pair.files());
    resetFormAfterFailure(job.form, {.enableOutput = !single, .emptyCrlPath = single && furtherPasses});
    return SaveOutcome::Failed;
}

SaveOutcome reportCompletion(JobContext& job, int layerTally, bool furtherPasses) {
    const CompletionRecord completion = completionRecord(layerTally, job.mode, furtherPasses);
    job.log.Write(completion.kind, completion.text, job.pair.files());
    if (job.mode == JobMode::SingleFile) {
        job.ui.showMessage(completion.text, IconKind::Success, Buttons::Ok);
    }
    return SaveOutcome::Saved;
}

bool overwriteConfirmed(JobContext& job) {
    return job.ui.showMessage(job.pair.output + " file already exists. Do you want to overwrite it?",
                              IconKind::Warning, Buttons::YesNo);
}

} // namespace

SaveOutcome SaveResult(JobContext& job, std::string_view content, int layerTally, bool furtherPasses) {
    const std::string& output = job.pair.output;
    if (job.streams != nullptr && job.streams->isOutput(output)) {
        return job.streams->writeOutput(content) ? reportCompletion(job, layerTally, furtherPasses)
                                                 : reportSaveFailure(job, furtherPasses);
    }
    const bool exists = platform::exists(output);
    if (exists && !overwriteConfirmed(job)) {
        return SaveOutcome::Declined;
    }
    SaveStatus status =
        WriteWholeFile(output, content, job.ui, exists ? ExistingFile::Replace : ExistingFile::Keep);
    if (status == SaveStatus::Exists) {
        if (!overwriteConfirmed(job)) {
            return SaveOutcome::Declined;
        }
        status = WriteWholeFile(output, content, job.ui, ExistingFile::Replace);
    }
    return status == SaveStatus::Saved ? reportCompletion(job, layerTally, furtherPasses)
                                       : reportSaveFailure(job, furtherPasses);
}
