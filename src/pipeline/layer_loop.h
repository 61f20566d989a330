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

// The first pass removes at most one layer of each kind, in the order pass-phrase, certificate,
// signed, and counts them in the layer tally; further passes remove whatever is left, one layer at
// a time, each after its notice. kind is the classification of content.
FileEnd UnwrapLayers(LayerJob& layer, std::string content, EnvelopeKind kind);

// A pass that left no content ends the job (or the batch); the wording depends on the job mode and
// on whether it was the first pass.
FileEnd ReportEmptyContent(LayerJob& layer);
