#pragma once
// The two decryption steps of the layer loop: one opens a pass-phrase layer with a pass phrase the
// person types, the other a certificate-encrypted layer with the person's private key from the
// store. Each replaces the content with what its layer held; the loop classifies it.
#include "pipeline/layer_job.h"

#include <string>

// Anything but Removed leaves the content as it was: the person cancelled or gave a blank answer.
StepEnd removePassPhraseLayer(LayerJob& layer, std::string& content);
// Removes the layer or throws.
void removeCertificateLayer(LayerJob& layer, std::string& content);
