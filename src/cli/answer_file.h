#pragma once
// The files of answers given on the command line (--passphrase-file, --store-password-file):
// regular files, pipes, /dev/stdin or a process substitution, read once as a stream.
#include "e2eCrypto/secret_string.h"

#include <cstddef>
#include <deque>
#include <string>

// More than this is no file of answers; reading stops there rather than filling memory from a pipe.
inline constexpr std::size_t answerFileLimit = 1024 * 1024;

// The lines of the file, each without its line end ("\n" or "\r\n"), kept in wiped buffers.
// option names the file in the UsageError thrown when it cannot be read or is too large.
std::deque<SecretString> readAnswerLines(const std::string& option, const std::string& path);
