#pragma once
// Programs and test bodies run in child processes, for what a test cannot do to itself: measure a
// program's peak memory, stop or kill it halfway, limit its memory or file sizes, or drop root's
// privileges so that permission bits count. Not part of the product.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct ChildEnd {
    int exitStatus = -1; // when the child exited
    int signal = 0;      // when a signal ended it
    long peakKiB = 0;    // its peak resident memory
};

// Starts argv (argv[0] a path) in directory, in a session of its own, with stdin from /dev/null and
// stdout and stderr into directory/.stdout and directory/.stderr. prepare runs in the child just
// before the program (to set limits or signal dispositions). The child is forked rather than
// spawned, so its peak memory is the program's own and not this process's.
pid_t startProgram(const std::vector<std::string>& argv, const std::string& directory,
                   const std::function<void()>& prepare = {});
// Waits for a started child.
ChildEnd waitForChild(pid_t child);
// Waits for a started child to end, killing it when it has not ended within bound (a child that hangs).
ChildEnd waitForChild(pid_t child, std::chrono::milliseconds bound);
ChildEnd runProgram(const std::vector<std::string>& argv, const std::string& directory,
                    const std::function<void()>& prepare = {});

// Runs body in a forked child and returns what it returned: an empty text when all went well, else
// what went wrong. A child that crashes or dies of a signal gives a text saying so. When this
// process runs as root, the child first becomes the unprivileged user "nobody" (65534).
std::string runUnprivileged(const std::function<std::string()>& body);

// The built quillbox-cli.
std::string cliProgramPath();
