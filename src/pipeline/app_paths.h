#pragma once
// The application directory and the files kept in it, shared by both programs.
#include <string>

struct AppPaths {
    std::string directory; // ends with '/'

    std::string logPath() const { return directory + "Reader-Log.txt"; }
    std::string keyNoticeMarkerPath() const { return directory + "askag"; }
    // The folders where saves named staging files, for the next start to clean.
    std::string stagingRecordPath() const { return directory + "staging-folders.txt"; }
};

// QUILLBOX_HOME when set; else the executable's directory when a file can be made in it (tried, not
// judged from permissions) and it is not a system-wide program directory (/usr/bin, or
// installedProgramDirectory, where the install puts the programs); else the per-user data directory
// (%APPDATA%\quillbox-reader\ on Windows; $XDG_DATA_HOME/quillbox-reader/, default
// ~/.local/share/quillbox-reader/), created.
AppPaths resolveAppPaths(const std::string& executableDirectory,
                         const std::string& installedProgramDirectory);
