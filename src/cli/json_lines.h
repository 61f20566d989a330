#pragma once
// The --json output: one object per document, one per line.
#include "pipeline/job_report.h"

#include <string>

// {"input":..,"output":..,"status":"saved","layers":["signed"],"verdicts":[..],"outcome":"..",
//  "layers_left":[],"certificate_layers":[..]}
std::string jsonLine(const FileReport& report);
// The line of a document that a termination signal ended before it was done with.
// Why a document a termination signal cut short was not saved.
inline constexpr const char* interruptedOutcome =
    "The program was ended by a signal before this file was done with";
std::string interruptedJsonLine(const std::string& input, const std::string& output);
// A signature verdict: its sentences and one object per signer.
std::string verdictJson(const SignatureVerdict& verdict);
// The certificate a certificate-encrypted layer names: subject, serial, not_before, not_after, valid.
std::string recipientJson(const RecipientFacts& recipient);
// A certificate-encrypted layer: {"recipient":{..},"cipher":..}.
std::string certificateLayerJson(const CertificateLayerFacts& layer);
std::string statusName(FileStatus status);
std::string layerName(EnvelopeKind kind);
