#pragma once
// What a saved document is reported as: its log kind and the text shown (single-file job) and logged.
#include "pipeline/job_context.h"

#include <string>

struct CompletionRecord {
    int kind;
    std::string text;
    bool operator==(const CompletionRecord&) const = default;
};

// layerTally: the layers removed in the first pass (2 signed, 4 per encryption layer);
// furtherPasses: whether layers were still armoured after that pass.
CompletionRecord completionRecord(int layerTally, JobMode mode, bool furtherPasses);
