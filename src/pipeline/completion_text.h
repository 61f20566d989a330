#pragma once
// What a saved document is reported as: its log kind and the text shown (single-file job) and logged.
#include "pipeline/job_context.h"

#include <string>

struct CompletionRecord {
    int kind;
    std::string text;
    bool operator==(const CompletionRecord&) const = default;
};

// The layers the first pass over a document removed; they choose the completion text.
struct FirstPassLayers {
    bool passPhrase = false;
    bool certificate = false;
    bool signedLayer = false;
};

// The completion a document earns, named after what its first pass removed.
enum class Completion {
    DecryptedAndVerified, // one encryption layer and the signed layer
    Decrypted,            // one encryption layer alone
    Verified,             // the signed layer alone
    Processed,            // both encryption layers, with or without the signed layer; or nothing
};

Completion completionOf(FirstPassLayers removed);

// furtherPasses: whether layers were still armoured after the first pass.
CompletionRecord completionRecord(Completion completion, JobMode mode, bool furtherPasses);
