#include "pipeline/encryption_steps.h"

#include "certs/certificate_tools.h"
#include "certs/key_store.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/envelope_format.h"
#include "pipeline/certificate_layer.h"
#include "pipeline/certificate_layer_facts.h"
#include "pipeline/job_key_store.h"
#include "pipeline/job_report.h"
#include "pipeline/job_ui.h"
#include "pipeline/key_notice.h"
#include "pipeline/pass_phrase_prompt.h"

#include <ctime>
#include <memory>
#include <optional>
#include <utility>

namespace {

void warnAboutValidity(LayerJob& layer, const std::string& certificateText) {
    // The check has a library object of its own, made for this layer. It only warns: the key is
    // fetched whatever it finds.
    const CertificateTools checker;
    bool notYetValid = false;
    if (checker.isExpired(certificateText, notYetValid, false)) {
        layer.job.ui.showMessage("Your Decryption Certificate has Expired", IconKind::Information);
    } else if (notYetValid) {
        layer.job.ui.showMessage("Your Decryption Certificate is Not Yet Valid!", IconKind::Information);
    }
}

} // namespace

StepEnd removePassPhraseLayer(LayerJob& layer, std::string& content) {
    const SymmetricLayer fields = splitSymmetricLayer(content);
    PassPhraseAnswer answer = PromptPassPhrase(layer, fields.checkField);
    if (answer.end != StepEnd::Removed) {
        return answer.end;
    }
    // The body is decoded and decrypted in the layer's own storage, so a large document is held once.
    decodeBase64Within(content, fields.body);
    {
        WaitCursorGuard wait(layer.job.ui);
        layer.tools.decryptDataWithin(content, content, answer.passPhrase, SecretString(), PassPhraseMode,
                                      supportedKeyFormat);
    }
    return StepEnd::Removed;
}

void removeCertificateLayer(LayerJob& layer, std::string& content) {
    const std::optional<DecodedArmour> decoded = std::exchange(layer.decodedArmour, std::nullopt);
    const CertificateLayer fields =
        decoded ? CertificateLayer{decoded->certificateText, content} : splitCertificateLayer(content);
    const std::string& certificateText = fields.certificateText;

    warnAboutValidity(layer, certificateText);
    layer.report.certificateLayers.push_back(
        decoded ? describeCertificateLayer(layer.tools, *decoded, content, std::time(nullptr))
                : describeCertificateLayer(layer.tools, content, std::time(nullptr)));
    ShowKeyNotice(layer.job.ui, layer.keyNoticeMarkerPath);
    // The key stays in the store, which decrypts the content key; it is let go with this layer.
    const std::unique_ptr<RecipientKey> key = fetchDecryptionKey(certificateText, layer.keyStore.get());

    {
        WaitCursorGuard wait(layer.job.ui);
        // Opened in the layer's own storage; the parsed envelope holds the only other copy.
        layer.tools.decryptDataWithin(content, fields.innerText, *key, PrivateKeyMode, supportedKeyFormat,
                                      decodeBase64(certificateText),
                                      decoded ? ArmourForm::Decoded : ArmourForm::Text);
    }
}
