#include "pipeline/layer_loop.h"

#include "certs/certificate_tools.h"
#include "pipeline/activity_log.h"
#include "pipeline/completion_text.h"
#include "pipeline/encryption_steps.h"
#include "pipeline/form_reset.h"
#include "pipeline/job_report.h"
#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

#include <array>
#include <utility>

namespace {

// The verdict is shown, never thrown: a signature that does not verify does not stop the file.
void removeSignedLayer(LayerJob& layer, std::string& content) {
    WaitCursorGuard wait(layer.job.ui);
    const ArmourForm form =
        std::exchange(layer.decodedArmour, std::nullopt) ? ArmourForm::Decoded : ArmourForm::Text;
    // The layer is handed over: a failure abandons the file anyway, and a large document is then not
    // held twice while it is verified.
    SignedContent signedContent = layer.tools.verifySignature(std::move(content), DigestSelector::Sha1,
                                                              layer.crlChoice, layer.crlPath, form);
    layer.job.ui.showSignatureResult(signedContent.verdict);
    layer.report.verdicts.push_back(std::move(signedContent.verdict));
    content = std::move(signedContent.content);
}

// A step that has no answer to wait for: it removes its layer or throws.
template <void (*removeLayer)(LayerJob&, std::string&)>
StepEnd alwaysRemoves(LayerJob& layer, std::string& content) {
    removeLayer(layer, content);
    return StepEnd::Removed;
}

struct LayerStep {
    EnvelopeKind kind;
    const char* furtherPassNotice;
    StepEnd (*remove)(LayerJob&, std::string&);
    bool FirstPassLayers::*removedInFirstPass;
};

// A pass runs the steps in this order, each when the content is of its kind at its turn.
const std::array<LayerStep, 3> layerSteps{{
    {EnvelopeKind::Symmetric, "Continuing with further Decryption", removePassPhraseLayer,
     &FirstPassLayers::passPhrase},
    {EnvelopeKind::Asymmetric, "Continuing with further Decryption", alwaysRemoves<removeCertificateLayer>,
     &FirstPassLayers::certificate},
    {EnvelopeKind::Pkcs7, "Continuing to Verify next Signature", alwaysRemoves<removeSignedLayer>,
     &FirstPassLayers::signedLayer},
}};

FileEnd stepEnded(StepEnd end) {
    return end == StepEnd::SkipFile ? FileEnd::Skipped : FileEnd::JobEnded;
}

// A declined overwrite skips the file in a batch; a single-file job ends with its boxes emptied.
FileEnd declined(LayerJob& layer) {
    layer.report.status = FileStatus::Declined;
    if (layer.job.mode == JobMode::Batch) {
        return FileEnd::Skipped;
    }
    resetFormAfterFailure(layer.job.form, {.emptyCrlPath = true, .showValues = false});
    return FileEnd::JobEnded;
}

FileEnd save(LayerJob& layer, const std::string& content, Completion completion) {
    const bool furtherPasses = !layer.firstPass;
    switch (SaveResult(layer.job, content, completion, furtherPasses)) {
    case SaveOutcome::Declined:
        return declined(layer);
    case SaveOutcome::Failed:
        layer.report.fail("Could not save file. Check file properties of the file being overwritten.");
        return FileEnd::JobEnded;
    case SaveOutcome::Saved:
        break;
    }
    layer.report.status = FileStatus::Saved;
    layer.report.outcome = completionRecord(completion, layer.job.mode, furtherPasses).text;
    return FileEnd::Completed;
}

} // namespace

FileEnd reportEmptyContent(LayerJob& layer) {
    JobContext& job = layer.job;
    const bool single = job.mode == JobMode::SingleFile;
    if (single && !layer.firstPass) {
        const std::string text = "File does not have any data";
        job.logOutcome(logkind::error, "Processed file does not contain data");
        job.ui.showMessage(text, IconKind::Error);
        layer.report.fail(text);
    } else {
        const std::string text =
            layer.firstPass ? "File does not contain data" : "File does not have any data";
        job.ui.showMessage(text, layer.firstPass ? IconKind::Warning : IconKind::Error);
        job.logOutcome(logkind::error, single ? "Content after decryption/verification is empty"
                                              : "Verified file does not have any data");
        layer.report.fail(text);
    }
    resetFormAfterFailure(job.form, {.enableOutput = !single, .emptyCrlPath = single && !layer.firstPass});
    return FileEnd::JobEnded;
}

FileEnd UnwrapLayers(LayerJob& layer, std::string content, EnvelopeKind kind) {
    FirstPassLayers firstPassRemoved;
    for (layer.firstPass = true;; layer.firstPass = false) {
        for (const LayerStep& step : layerSteps) {
            if (kind != step.kind) {
                continue;
            }
            if (!layer.firstPass) {
                layer.job.ui.showMessage(step.furtherPassNotice, IconKind::Information);
            }
            const StepEnd end = step.remove(layer, content);
            if (end == StepEnd::KeepLayer) {
                // What it holds stays unknown: only the layer itself is known to be left.
                layer.report.layersLeft.push_back(kind);
                return save(layer, content, completionOf(firstPassRemoved));
            }
            if (end != StepEnd::Removed) {
                return stepEnded(end);
            }
            layer.report.layersRemoved.push_back(kind);
            if (layer.firstPass) {
                firstPassRemoved.*step.removedInFirstPass = true;
            }
            if (content.empty()) {
                return reportEmptyContent(layer);
            }
            kind = classifyEnvelope(content);
        }
        if (kind == EnvelopeKind::Unrecognised) {
            return save(layer, content, completionOf(firstPassRemoved));
        }
    }
}
