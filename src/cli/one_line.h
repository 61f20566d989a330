#pragma once
// Every message quillbox-cli prints is one line, so that scripts can read it line by line.
#include <string>

// The text with each line break ("\n" or "\r") turned into a space.
std::string oneLine(std::string text);
