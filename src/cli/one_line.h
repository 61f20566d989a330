#pragma once
// Every message quillbox-cli prints is one line, so that scripts can read it line by line, and
// nothing it prints from a file name can move the cursor or repaint what is already shown.
#include <string>
#include <vector>

// The text with each line break ("\n") turned into a space and every other control character
// escaped as the activity log escapes it ("\r", "\t", "\xHH"); backslashes stay as written.
std::string oneLine(std::string text);

// A file name as the activity log shows it: every control character escaped, a line break as "\n"
// too, so that two names never look alike.
std::string shownName(const std::string& name);

// The text with each of names in it shown as shownName does, then made one line.
std::string oneLineNaming(std::string text, const std::vector<std::string>& names);
