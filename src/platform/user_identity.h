#pragma once
// Who runs the program, as text that tells this user from every other user of the machine.
#include <string>

namespace platform {

// The user's number on POSIX systems, the user's security identifier ("S-1-5-21-...") on Windows.
std::string userIdentity();

} // namespace platform
