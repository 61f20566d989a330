#pragma once
// What --help prints: the whole help, or one command's part of it ("open --help").
#include "command_declaration.h"

#include <string>

std::string helpText();
std::string commandHelpText(const CommandDeclaration& command);
