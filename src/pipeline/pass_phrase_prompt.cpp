#include "pipeline/pass_phrase_prompt.h"

#include "certs/certificate_tools.h"
#include "e2eCrypto/error_records.h"
#include "pipeline/activity_log.h"
#include "pipeline/form_reset.h"
#include "pipeline/job_report.h"
#include "pipeline/job_ui.h"

#include <optional>

namespace {

constexpr int singleFileTries = 3;

StepEnd cancelled(LayerJob& layer) {
    JobContext& job = layer.job;
    if (job.mode == JobMode::Batch) {
        if (layer.firstPass) {
            layer.report.status = FileStatus::Cancelled;
            return StepEnd::SkipFile;
        }
        return StepEnd::KeepLayer;
    }
    layer.report.status = FileStatus::Cancelled;
    resetFormAfterFailure(job.form, {});
    return StepEnd::EndJob;
}

StepEnd blankAnswer(LayerJob& layer) {
    JobContext& job = layer.job;
    if (job.mode == JobMode::Batch) {
        const std::string text = "Password to decrypt is blank";
        job.logOutcome(logkind::error, text);
        layer.report.fail(text);
        resetFormAfterFailure(job.form, {.enableOutput = true, .showValues = false});
        return StepEnd::EndJob;
    }
    const std::string text = "Blank password given to decrypt";
    job.logOutcome(logkind::error, text);
    layer.report.fail(text);
    if (layer.firstPass) {
        resetFormAfterFailure(job.form, {});
    } else {
        const std::string shown = "Blank password. Cannot continue";
        job.ui.showMessage(shown, IconKind::Warning);
        layer.report.outcome = shown;
        resetFormAfterFailure(job.form, {.showValues = false});
    }
    return StepEnd::EndJob;
}

} // namespace

PassPhraseAnswer PromptPassPhrase(LayerJob& layer, std::string_view checkField) {
    JobContext& job = layer.job;
    const bool batchFirstPass = job.mode == JobMode::Batch && layer.firstPass;
    const int tries = job.mode == JobMode::SingleFile && layer.firstPass ? singleFileTries : 1;
    for (int attempt = 1;; ++attempt) {
        std::optional<SecretString> answer = job.ui.askPassPhrase();
        if (!answer) {
            return {cancelled(layer), {}};
        }
        // The first pass of a batch has no rule of its own for a blank answer: it is simply wrong.
        if (answer->empty() && !batchFirstPass) {
            return {blankAnswer(layer), {}};
        }
        if (layer.tools.hashPassPhrase(answer->view()) == checkField) {
            return {StepEnd::Removed, std::move(*answer)};
        }
        if (tries == 1) {
            throw errorDef::error_message("Passphrase mismatch!");
        }
        if (attempt == tries) {
            throw errorDef::error_message("Wrong password. All attempts exhausted");
        }
        job.ui.showMessage("Wrong password. Please try again! You will be given only 3 attempts",
                           IconKind::Warning);
    }
}
