#pragma once
// What --help prints.
#include <string>

std::string helpText();
