#pragma once
// Standard input and output as the command line uses them: bytes as they are (no text mode), and
// records on standard output that a termination signal can neither cut short nor lose.
#include "platform/system_result.h"

#include <string>
#include <string_view>

namespace platform {

// The descriptor of standard input, switched to binary where the system has a text mode.
int binaryStandardInput();

// Writes every byte to standard output in binary.
SystemResult writeStandardOutput(std::string_view bytes);

// Writes a record (a line) whole to standard output and makes lastWords what a termination signal
// (SIGINT, SIGTERM, SIGHUP; Ctrl-C or Ctrl-Break) writes there from then on, before the process ends
// as the signal would have ended it (empty: nothing). A signal finds the state before the call or the
// one after.
SystemResult writeStandardOutputRecord(std::string_view record, std::string lastWords);

// Makes lastWords what a termination signal writes on standard error besides (empty: nothing): the
// lines a person reads about the work the signal cut short.
void setLastWordsOnStandardError(std::string lastWords);

} // namespace platform
