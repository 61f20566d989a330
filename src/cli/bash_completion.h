#pragma once
// The bash completion script of quillbox-cli, made from the commands' declarations.
#include <string>

std::string bashCompletion();
