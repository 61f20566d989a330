#pragma once
// The --json output: one object per document, one per line.
#include "pipeline/job_report.h"

#include <string>

// {"input":..,"output":..,"status":"saved","layers":["signed"],"verdicts":[..],"outcome":".."}
std::string jsonLine(const FileReport& report);
std::string statusName(FileStatus status);
std::string layerName(EnvelopeKind kind);
