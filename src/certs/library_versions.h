#pragma once
// The crypto libraries the program runs with, for --version: one "Name version" line each.
#include <string>
#include <vector>

std::vector<std::string> cryptoLibraryVersions();
