#pragma once
// The two decryption steps of the layer loop: one opens a pass-phrase layer with a pass phrase the
// person types, the other a certificate-encrypted layer with the person's private key from the
// store. On Removed the content is what the layer held and kind its classification.
#include "e2eCrypto/envelope_format.h"
#include "pipeline/layer_job.h"

#include <string>

StepEnd removePassPhraseLayer(LayerJob& layer, std::string& content, EnvelopeKind& kind);
StepEnd removeCertificateLayer(LayerJob& layer, std::string& content, EnvelopeKind& kind);
