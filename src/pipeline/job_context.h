#pragma once
// What every step of one Verify/Decrypt job works with.
#include "platform/save_record_hold.h"

#include <optional>
#include <string>

class ActivityLog;
class JobForm;
class JobUi;
struct StandardStreams;

enum class JobMode { SingleFile, Batch };

struct CurrentPair {
    std::string input;
    std::string output;
    // The files field of a log record.
    std::string files() const { return input + " -> " + output; }
};

struct JobContext {
    JobUi& ui;
    JobForm& form;
    ActivityLog& log;
    JobMode mode;
    CurrentPair pair;
    const StandardStreams* streams = nullptr; // null: every path is a file
    // From a save until the document's report is out: a termination signal after the output is in
    // place waits for its records.
    std::optional<platform::SaveRecordHold> saveRecordHold{};

    // Records what became of the current pair; a log that cannot take the record is the person's to
    // know, and the job goes on.
    void logOutcome(int kind, const std::string& message);
};
