#pragma once
// A file written beside its destination that nobody can see before it is complete: unnamed
// (O_TMPFILE) where the file system allows it, else under a hidden name that is removed when the
// file is dropped or a termination signal ends the process.
#include "platform/file_descriptor.h"

#include <sys/types.h>

#include <string>

class StagedFile {
public:
    // Creates the file in directory (a path ending in '/'); isOpen() tells whether that worked, errno
    // why not. The file may only be given a name in that directory.
    StagedFile(std::string directory, mode_t mode);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    bool isOpen() const { return file_.isOpen(); }
    int fd() const { return file_.get(); }
    bool isNamed() const { return !name_.empty(); }

    // Gives the file the name target unless a file has it (false, errno EEXIST).
    bool linkAs(const std::string& target);
    // Gives the file the name target in place of whatever has it.
    bool renameOver(const std::string& target);

private:
    bool openUnnamed(mode_t mode);
    bool openNamed(mode_t mode);
    void forgetName();

    std::string directory_;
    FileDescriptor file_;
    std::string name_; // empty for an unnamed file, and once the file has its final name
};
