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

// Runs the rules in order and stops at the first that fails: it shows its message, resets and
// focuses the box, and returns nothing. values are the trimmed form values. A standard stream
// passes the input or output rules as it is.
std::optional<JobPaths> ValidateJobPaths(const FormValues& values, JobForm& form, JobUi& ui,
                                         const PathStyle& style, const FileAccess& access,
                                         const StandardStreams* streams = nullptr);
