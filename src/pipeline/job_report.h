#pragma once
// What became of each document of a job, for front ends that report more than the dialogs show
// (the command-line reader's exit status and JSON lines). The desktop program ignores it.
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/signature_verdict.h"
#include "pipeline/certificate_layer_facts.h"

#include <string>
#include <utility>
#include <vector>

enum class FileStatus {
    NotProcessed, // the job ended before this document was reached
    Saved,        // plain content saved and the completion reported
    Failed,       // unreadable, unrecognised, or a step failed; reported
    Skipped,      // unrecognised, and the person chose to go on with the next file
    Declined,     // the person declined to overwrite the output
    Cancelled,    // the person cancelled a pass-phrase prompt
};

struct FileReport {
    std::string input;
    std::string output;
    FileStatus status = FileStatus::NotProcessed;
    std::vector<EnvelopeKind> layersRemoved; // outermost first
    std::vector<SignatureVerdict> verdicts;  // one per signed layer, in order
    // One per certificate-encrypted layer reached (opened or not), in order.
    std::vector<CertificateLayerFacts> certificateLayers;
    // The layers still in a saved output (a pass-phrase prompt of a later pass was cancelled).
    std::vector<EnvelopeKind> layersLeft;
    // The completion text when saved; otherwise the failure's message (or its log text when no
    // message was shown). Empty for a skip, a decline or a cancel.
    std::string outcome;

    void fail(std::string text) {
        status = FileStatus::Failed;
        outcome = std::move(text);
    }
};

struct JobReport {
    bool pathsValid = false; // false when the path rules refused the form
    std::vector<FileReport> files;
};
