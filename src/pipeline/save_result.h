#pragma once
// Saving the plain content of a document and reporting its completion.
#include "pipeline/completion_text.h"
#include "pipeline/job_context.h"
#include "platform/output_file.h"

#include <string>
#include <string_view>

// Writes bytes to path as saveWholeFile does, after removing the temporary files that ended programs
// left beside it (and telling the person so); asks before a file is overwritten in place; shows
// "Insufficient hard disk space" itself when the disk falls short, and says so when an emptied
// temporary file had to be left.
SaveStatus WriteWholeFile(const std::string& path, std::string_view bytes, JobUi& ui,
                          ExistingFile existing = ExistingFile::Replace);

enum class SaveOutcome {
    Saved,    // written and reported
    Failed,   // reported; ends the job or the batch
    Declined, // No to the overwrite or in-place question; nothing written, shown or logged
};

// Asks before overwriting, also when the output appears while it is written, writes, and reports the
// completion (log record, and in a single-file job the message) or the failure (message, log record,
// boxes).
SaveOutcome SaveResult(JobContext& job, std::string_view content, Completion completion, bool furtherPasses);
