#pragma once
// The folders where saves gave staging files a name, listed in a file of the program's own, so that
// what a killed process left there is found at the next start, whichever folder it is in.
#include <string>
#include <vector>

namespace stagingRecord {

// From now on, the list is the file at path ("" for none).
void keepIn(const std::string& path);
// Adds directory (ending in '/') to the list unless it is there.
void add(const std::string& directory);
// Takes the listed folders out of the list and returns them; the caller adds back those that still
// hold staging files.
std::vector<std::string> take();

} // namespace stagingRecord
