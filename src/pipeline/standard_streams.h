#pragma once
// Standard input and output standing in for a document's file and its output (the command line's
// "-"). Their paths name them in messages and log records; the path rules and the overwrite question
// do not apply to them.
#include <functional>
#include <string>
#include <string_view>

struct StandardStreams {
    std::string inputPath;                                   // empty: no document is read from standard input
    std::string outputPath;                                  // empty: no output goes to standard output
    std::function<bool(std::string& content)> readInput;     // false: unreadable or empty
    std::function<bool(std::string_view bytes)> writeOutput; // false: the write failed

    bool isInput(const std::string& path) const { return !inputPath.empty() && path == inputPath; }
    bool isOutput(const std::string& path) const { return !outputPath.empty() && path == outputPath; }
};
