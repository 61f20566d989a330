#pragma once
// The --json output: one object per document, one per line.
#include "pipeline/job_report.h"

#include <string>

// {"input":..,"output":..,"status":"saved","layers":["signed"],"verdicts":[..],"outcome":".."}
std::string jsonLine(const FileReport& report);
// text as a JSON string; a byte that is not part of valid UTF-8 becomes "\udcXX" (XX its value).
std::string jsonString(const std::string& text);
std::string statusName(FileStatus status);
std::string layerName(EnvelopeKind kind);
