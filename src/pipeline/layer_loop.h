#pragma once
// Removing a document's layers one after another until plain content remains, then saving it.
#include "e2eCrypto/envelope_format.h"
#include "pipeline/layer_job.h"

#include <string>

enum class FileEnd {
    Completed, // saved and reported
    Skipped,   // batch: go on with the next file
    JobEnded,  // the job or the batch ends; already reported
};

// Every pass runs the removal steps in the order pass-phrase, certificate, signed, each when the
// content is of its kind at its turn; the first pass chooses the completion text, and the steps of
// further passes each come after a notice. kind is the classification of content.
FileEnd UnwrapLayers(LayerJob& layer, std::string content, EnvelopeKind kind);

// A pass that left no content ends the job (or the batch); the wording depends on the job mode and
// on whether it was the first pass.
FileEnd reportEmptyContent(LayerJob& layer);
