#pragma once
// Text from outside (file names, messages that hold them) made safe to write where a control
// character would do harm: a log line it could split, a terminal it could repaint.
#include <string>
#include <string_view>

enum class Backslashes {
    Kept,    // for people: paths and fixed texts read as written
    Escaped, // for records read back: every escape stands for one byte
};

// "\t", "\n" and "\r" for those three; "\xHH" for every other control character, DEL, and the
// C1 controls written as UTF-8 (a terminal acts on those as on their 8-bit forms).
std::string escapeControlCharacters(std::string_view text, Backslashes backslashes);
