#pragma once
// Streams standing in for a document's file and its output (the command line's "-", a pipe given as
// an input, a device given as an output). Their paths name them in messages and log records; the
// path rules and the overwrite question do not apply to them.
#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct StandardStreams {
    std::vector<std::string> inputPaths;  // read whole, from the first byte to the end
    std::vector<std::string> outputPaths; // written directly, never staged
    std::function<bool(const std::string& path, std::string& content)>
        readInput; // false: unreadable or empty
    std::function<bool(const std::string& path, std::string_view bytes)>
        writeOutput; // false: the write failed

    bool isInput(const std::string& path) const { return listed(inputPaths, path); }
    bool isOutput(const std::string& path) const { return listed(outputPaths, path); }

private:
    static bool listed(const std::vector<std::string>& paths, const std::string& path) {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    }
};
