#include "pipeline/layer_loop.h"

#include "certs/certificate_tools.h"
#include "pipeline/activity_log.h"
#include "pipeline/completion_text.h"
#include "pipeline/encryption_steps.h"
#include "pipeline/form_reset.h"
#include "pipeline/job_report.h"
#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

#include <utility>

namespace {

constexpr int passPhraseTally = 4;
constexpr int certificateTally = 4;
constexpr int signedTally = 2;

// The verdict is shown, never thrown: a signature that does not verify does not stop the file.
void removeSignedLayer(LayerJob& layer, std::string& content) {
    WaitCursorGuard wait(layer.job.ui);
    // The layer is handed over: a failure abandons the file anyway, and a large document is then not
    // held twice while it is verified.
    SignedContent signedContent =
        layer.tools.verifySignature(std::move(content), DigestSelector::Sha1, layer.crlChoice, layer.crlPath);
    layer.job.ui.showSignatureResult(signedContent.verdict);
    layer.report.layersRemoved.push_back(EnvelopeKind::Pkcs7);
    layer.report.verdicts.push_back(std::move(signedContent.verdict));
    content = std::move(signedContent.content);
}

FileEnd stepEnded(StepEnd end) {
    return end == StepEnd::SkipFile ? FileEnd::Skipped : FileEnd::JobEnded;
}

} // namespace

FileEnd ReportEmptyContent(LayerJob& layer) {
    JobContext& job = layer.job;
    const bool single = job.mode == JobMode::SingleFile;
    const std::string files = job.pair.files();
    if (single && !layer.firstPass) {
        const std::string text = "File does not have any data";
        job.log.Write(logkind::error, "Processed file does not contain data", files);
        job.ui.showMessage(text, IconKind::Error);
        layer.report.fail(text);
    } else {
        const std::string text =
            layer.firstPass ? "File does not contain data" : "File does not have any data";
        job.ui.showMessage(text, layer.firstPass ? IconKind::Warning : IconKind::Error);
        job.log.Write(logkind::error,
                      single ? "Content after decryption/verification is empty"
                             : "Verified file does not have any data",
                      files);
        layer.report.fail(text);
    }
    resetFormAfterFailure(job.form, {.enableOutput = !single, .emptyCrlPath = single && !layer.firstPass});
    return FileEnd::JobEnded;
}

namespace {

// A declined overwrite skips the file in a batch; a single-file job ends with its boxes emptied.
FileEnd declined(LayerJob& layer) {
    layer.report.status = FileStatus::Declined;
    if (layer.job.mode == JobMode::Batch) {
        return FileEnd::Skipped;
    }
    resetFormAfterFailure(layer.job.form, {.emptyCrlPath = true, .showValues = false});
    return FileEnd::JobEnded;
}

FileEnd save(LayerJob& layer, const std::string& content, int tally, bool furtherPasses) {
    switch (SaveResult(layer.job, content, tally, furtherPasses)) {
    case SaveOutcome::Declined:
        return declined(layer);
    case SaveOutcome::Failed:
        layer.report.fail("Could not save file. Check file properties of the file being overwritten.");
        return FileEnd::JobEnded;
    case SaveOutcome::Saved:
        break;
    }
    layer.report.status = FileStatus::Saved;
    layer.report.outcome = completionRecord(tally, layer.job.mode, furtherPasses).text;
    return FileEnd::Completed;
}

} // namespace

FileEnd UnwrapLayers(LayerJob& layer, std::string content, EnvelopeKind kind) {
    layer.firstPass = true;
    int tally = 0;
    if (kind == EnvelopeKind::Symmetric) {
        tally = passPhraseTally;
        if (StepEnd end = removePassPhraseLayer(layer, content, kind); end != StepEnd::Removed) {
            return stepEnded(end);
        }
    }
    if (kind == EnvelopeKind::Asymmetric) {
        tally += certificateTally;
        removeCertificateLayer(layer, content, kind);
    }
    if (kind == EnvelopeKind::Pkcs7) {
        tally += signedTally;
        removeSignedLayer(layer, content);
    }
    if (content.empty()) {
        return ReportEmptyContent(layer);
    }
    kind = classifyEnvelope(content);
    if (kind == EnvelopeKind::Unrecognised) {
        return save(layer, content, tally, false);
    }

    layer.firstPass = false;
    while (kind != EnvelopeKind::Unrecognised) {
        if (kind == EnvelopeKind::Symmetric) {
            layer.job.ui.showMessage("Continuing with further Decryption", IconKind::Information);
            const StepEnd end = removePassPhraseLayer(layer, content, kind);
            if (end == StepEnd::KeepLayer) {
                // What it holds stays unknown: only the pass-phrase layer itself is known to be left.
                layer.report.layersLeft.push_back(EnvelopeKind::Symmetric);
                break;
            }
            if (end != StepEnd::Removed) {
                return stepEnded(end);
            }
        }
        if (kind == EnvelopeKind::Asymmetric) {
            layer.job.ui.showMessage("Continuing with further Decryption", IconKind::Information);
            removeCertificateLayer(layer, content, kind);
        }
        if (kind == EnvelopeKind::Pkcs7) {
            layer.job.ui.showMessage("Continuing to Verify next Signature", IconKind::Information);
            removeSignedLayer(layer, content);
        }
        if (content.empty()) {
            return ReportEmptyContent(layer);
        }
        kind = classifyEnvelope(content);
    }
    return save(layer, content, tally, true);
}
