#include "pipeline/path_style.h"

#include <unistd.h>

const PathStyle& PathStyle::native() {
    static const PathStyle style{'/', '\\', "/"};
    return style;
}

const PathStyle& PathStyle::windows() {
    static const PathStyle style{'\\', '/', "C:\\"};
    return style;
}

std::string PathStyle::localize(const std::string& windowsText) const {
    if (separator == '\\') {
        return windowsText;
    }
    std::string text = windowsText;
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        } else if (c == '/') {
            c = '\\';
        }
    }
    return text;
}

bool FileAccess::readable(const std::string& path) const {
    return ::access(path.c_str(), R_OK) == 0;
}

bool FileAccess::writable(const std::string& path) const {
    return ::access(path.c_str(), W_OK) == 0;
}

bool FileAccess::exists(const std::string& path) const {
    return ::access(path.c_str(), F_OK) == 0;
}
