#pragma once
// Where the user's files and this program live. Every directory ends in the separator.
#include <string>

namespace platform {

// The directory holding the running program; "" when it cannot be told.
std::string executableDirectory();
// The per-user directory for programs' data (~/.local/share/ or $XDG_DATA_HOME; %APPDATA% on Windows).
std::string userDataDirectory();
// The user's home directory; "" when there is none.
std::string homeDirectory();

} // namespace platform
