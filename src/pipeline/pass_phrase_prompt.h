#pragma once
// Asking for the pass phrase of a pass-phrase layer and checking it against the layer's check
// value: three tries in the first pass of a single-file job, one everywhere else.
#include "e2eCrypto/secret_string.h"
#include "pipeline/layer_job.h"

#include <string_view>

struct PassPhraseAnswer {
    StepEnd end = StepEnd::Removed; // Removed: passPhrase is the right one
    SecretString passPhrase;
};

// Cancel, a blank answer and the last wrong answer end the file as the job mode and pass say;
// a wrong answer that ends the file is thrown as errorDef::error_message.
PassPhraseAnswer PromptPassPhrase(LayerJob& layer, std::string_view checkField);
