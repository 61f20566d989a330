#pragma once
// quillbox-cli as a function: the arguments after the program's name in, the exit status out.
#include <string>
#include <vector>

int runCommandLine(const std::vector<std::string>& arguments, const std::string& version);
