#pragma once
// Paths as the command line gives them, made absolute as the file dialogs would.
#include <string>

std::string absolutePath(const std::string& path);
// The directory of the running executable, ending in "/".
std::string executableDirectory();
