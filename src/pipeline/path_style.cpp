#include "pipeline/path_style.h"

#include "platform/file_access.h"
#include "platform/file_kind.h"
#include "platform/path_conventions.h"

const PathStyle& PathStyle::native() {
    static const PathStyle style{platform::directorySeparator(),
                                 platform::directorySeparator() == '/' ? '\\' : '/', platform::rootPath()};
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
    return platform::isReadable(path);
}

bool FileAccess::writable(const std::string& path) const {
    return platform::isWritable(path);
}

bool FileAccess::exists(const std::string& path) const {
    return platform::exists(path);
}

bool FileAccess::sameFile(const std::string& first, const std::string& second) const {
    return platform::sameFile(first, second);
}
