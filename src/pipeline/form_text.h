#pragma once
// The rules that turn the text of a form box into the values the job reads.
#include <string>
#include <vector>

// The text without leading and trailing white space (blank, tab, line breaks, vertical tab, form feed).
std::string trimmedBoxText(const std::string& text);

// The paths of a ";"-separated list (a trimmed box text): runs of ";" count as one, and the list
// ends at its first empty item.
std::vector<std::string> splitPathList(const std::string& text);
