#pragma once
// Every message quillbox-cli prints is one line, so that scripts can read it line by line, and
// nothing it prints from a file name can move the cursor or repaint what is already shown.
#include <string>

// The text with each line break ("\n") turned into a space and every other control character
// escaped as the activity log escapes it ("\r", "\t", "\xHH"); backslashes stay as written.
std::string oneLine(std::string text);
