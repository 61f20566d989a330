#pragma once
// What open tells about each document as the job leaves it: its JSON line, written and flushed at
// once (a termination signal adds one for the document it interrupts), a warning for an output
// that still holds a layer, and the reports the exit status is made from.
#include "standard_output.h"
#include "terminal_job_ui.h"

#include "pipeline/job_report.h"

#include <string>
#include <vector>

class OpenReport {
public:
    // inputs and outputs: the job's, in order (after the paths were made absolute).
    OpenReport(std::vector<std::string> inputs, std::vector<std::string> outputs, bool json,
               TerminalJobUi& ui, StandardOutput& out);

    void documentEnded(FileReport report);
    // After the job: the inputs it never reached. pathsValid: false when the path rules refused the
    // paths (the last message then says why).
    void jobEnded(bool pathsValid);

    const std::vector<FileReport>& files() const { return files_; }

private:
    void write(const FileReport& report);
    // The line a termination signal writes for the next document, once the job is at it.
    std::string interruptedLine() const;
    // What a termination signal writes from now on: the JSON line, or on stderr a line for each input
    // not yet done with.
    void setLastWords() const;

    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    bool json_;
    TerminalJobUi& ui_;
    StandardOutput& out_;
    std::vector<FileReport> files_;
    bool jobOver_ = false;
};
