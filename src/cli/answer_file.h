#pragma once
// The files of answers given on the command line (--passphrase-file, --store-password-file):
// regular files, pipes, /dev/stdin or a process substitution, read once as a stream.
#include "e2eCrypto/secret_string.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

// More than this is no file of answers; reading stops there rather than filling memory from a pipe.
inline constexpr std::size_t answerFileLimit = 1024 * 1024;

// The lines of the file, each without its line end ("\n" or "\r\n"), kept in wiped buffers.
// option names the file in the UsageError thrown when it cannot be read or is too large.
std::deque<SecretString> readAnswerLines(const std::string& option, const std::string& path);

// A file of answers given on the command line, opened and read when the first answer is asked of
// it: a document that needs none never touches it (a FIFO nobody writes to never blocks).
class AnswerFile {
public:
    AnswerFile(std::string option, std::string path) : option_(std::move(option)), path_(std::move(path)) {}

    // The next line; nothing once the lines have run out. Throws UsageError when the file cannot be
    // read or is too large.
    std::optional<SecretString> next();

private:
    std::string option_;
    std::string path_;
    std::optional<std::deque<SecretString>> lines_;
};
