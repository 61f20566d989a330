#pragma once
// The checks a job's paths pass before any file is touched.
#include "pipeline/job_form.h"
#include "pipeline/path_style.h"

#include <optional>
#include <string>
#include <vector>

class JobUi;
struct StandardStreams;

struct JobPaths {
    // Batch job: the selection's inputs and outputs (equal length). Single-file job: empty.
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};

// What a front end other than the form lets through.
struct PathRuleScope {
    const StandardStreams* streams = nullptr; // a stream passes the input or output rules as it is
    bool anyFileName = false;                 // no character of a name is refused: the file system decides
};

// Runs the rules in order and stops at the first that fails: it shows its message, resets and
// focuses the box, and returns nothing. values are the trimmed form values. Last, in both modes, an
// output that is its input file is refused: saving would replace the document with its content.
std::optional<JobPaths> ValidateJobPaths(const FormValues& values, JobForm& form, JobUi& ui,
                                         const PathStyle& style, const FileAccess& access,
                                         PathRuleScope scope = {});
