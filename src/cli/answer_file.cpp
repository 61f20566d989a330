#include "answer_file.h"

#include "command.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// Reads to the end into text, which holds room for one byte past the limit, so that a larger file
// shows itself without the secret ever being copied by a growing buffer.
void readAll(const std::string& option, const std::string& path, SecretString& text) {
    const FileDescriptor file(platform::openForReading(path));
    if (!file.isOpen()) {
        throw UsageError("cannot read " + option + " " + path + ": " + std::strerror(errno));
    }
    std::string& bytes = text.mutableStr();
    bytes.resize(answerFileLimit + 1);
    std::size_t size = 0;
    while (size < bytes.size()) {
        const std::int64_t got = platform::readSome(file.get(), bytes.data() + size, bytes.size() - size);
        if (got < 0) {
            throw UsageError("cannot read " + option + " " + path + ": " + std::strerror(errno));
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    if (size > answerFileLimit) {
        throw UsageError(option + " " + path + " holds more than 1 MiB");
    }
    bytes.resize(size);
}

} // namespace

std::deque<SecretString> readAnswerLines(const std::string& option, const std::string& path) {
    SecretString text;
    readAll(option, path, text); // an empty file simply holds no lines
    std::deque<SecretString> lines;
    std::string_view rest = text.view();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
    }
    return lines;
}

std::optional<SecretString> AnswerFile::next() {
    if (!lines_) {
        lines_ = readAnswerLines(option_, path_);
    }
    if (lines_->empty()) {
        return std::nullopt;
    }
    SecretString line = std::move(lines_->front());
    lines_->pop_front();
    return line;
}
