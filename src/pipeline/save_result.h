#pragma once
// Saving the plain content of a document and reporting its completion.
#include "pipeline/job_context.h"

#include <string>
#include <string_view>

// Writes bytes to path and checks the size that reached the disk; shows "Insufficient hard disk
// space" itself when it falls short. Never leaves a short file in place of an existing one.
bool WriteWholeFile(const std::string& path, std::string_view bytes, JobUi& ui);

// True for an existing file that must not be written: no write permission bit set for anyone, or
// access(2) refuses writing. The bits matter because access(2) grants root everything.
bool isReadOnlyFile(const std::string& path);

enum class SaveOutcome { Saved, Failed };

// Asks before overwriting (No throws the empty errorDef::error_message), writes, and reports the
// completion (log record, and in a single-file job the message) or the failure (message, log record,
// boxes). Failed ends the job or the batch.
SaveOutcome SaveResult(JobContext& job, std::string_view content, int layerTally, bool furtherPasses);
