#pragma once
// What every step of one Verify/Decrypt job works with.
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
};
