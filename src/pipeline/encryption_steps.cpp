#include "pipeline/encryption_steps.h"

#include "certs/certificate_tools.h"
#include "certs/key_store.h"
#include "certs/transient_pass_phrase.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "pipeline/certificate_layer.h"
#include "pipeline/job_key_store.h"
#include "pipeline/job_report.h"
#include "pipeline/job_ui.h"
#include "pipeline/key_notice.h"
#include "pipeline/pass_phrase_prompt.h"

namespace {

void replaceContent(LayerJob& layer, std::string& content, std::string plaintext, EnvelopeKind& kind,
                    EnvelopeKind removed) {
    content = std::move(plaintext);
    layer.report.layersRemoved.push_back(removed);
    kind = classifyEnvelope(content);
}

void warnAboutValidity(LayerJob& layer, const std::string& certificateText) {
    // A short-lived library object of its own, as the validity check has always had.
    const CertificateTools checker;
    bool notYetValid = false;
    if (checker.isExpired(certificateText, notYetValid, false)) {
        layer.job.ui.showMessage("Your Decryption Certificate has Expired", IconKind::Information);
    } else if (notYetValid) {
        layer.job.ui.showMessage("Your Decryption Certificate is Not Yet Valid!", IconKind::Information);
    }
}

} // namespace

StepEnd removePassPhraseLayer(LayerJob& layer, std::string& content, EnvelopeKind& kind) {
    const SymmetricLayer fields = splitSymmetricLayer(content);
    PassPhraseAnswer answer = PromptPassPhrase(layer, fields.checkField);
    if (answer.end != StepEnd::Removed) {
        return answer.end;
    }
    const std::string ciphertext = decodeBase64(fields.body);
    std::string plaintext;
    {
        WaitCursorGuard wait(layer.job.ui);
        layer.tools.decryptData(ciphertext, plaintext, answer.passPhrase, SecretString(), PassPhraseMode,
                                supportedKeyFormat);
    }
    replaceContent(layer, content, std::move(plaintext), kind, EnvelopeKind::Symmetric);
    return StepEnd::Removed;
}

StepEnd removeCertificateLayer(LayerJob& layer, std::string& content, EnvelopeKind& kind) {
    const CertificateLayer fields = splitCertificateLayer(content);
    const std::string& certificateText = fields.certificateText;

    warnAboutValidity(layer, certificateText);
    const SecretString transientPassPhrase = makeTransientKeyPassPhrase();
    ShowKeyNotice(layer.job.ui, layer.keyNoticeMarkerPath);
    const SecretString pem = fetchDecryptionKey(certificateText, transientPassPhrase, layer.keyStore.get());

    std::string plaintext;
    {
        WaitCursorGuard wait(layer.job.ui);
        layer.tools.decryptData(fields.innerText, plaintext, pem, transientPassPhrase, PrivateKeyMode, supportedKeyFormat,
                    decodeBase64(certificateText));
    }
    replaceContent(layer, content, std::move(plaintext), kind, EnvelopeKind::Asymmetric);
    return StepEnd::Removed;
}
