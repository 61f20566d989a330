#pragma once
// The platform's path conventions, so that the same path rules run with "/" on Linux and with "\"
// (as the messages were first written) in tests.
#include <string>

struct PathStyle {
    char separator;        // '/' on Linux, '\\' on Windows
    char refused;          // the other one
    std::string resetText; // what some rules put into a box: "/" or "C:\"

    static const PathStyle& native();
    static const PathStyle& windows();
    // A message written for Windows paths, with the two separator characters swapped for this style.
    std::string localize(const std::string& windowsText) const;
};

// Access checks, replaceable in tests.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    virtual bool readable(const std::string& path) const;
    virtual bool writable(const std::string& path) const;
    virtual bool exists(const std::string& path) const;
    // Whether both paths name one existing file, after links.
    virtual bool sameFile(const std::string& first, const std::string& second) const;
};
