#pragma once
// A file written beside its destination that nobody else can read or see before it is complete: it
// belongs to the running user alone (mode 0600) and is unnamed (O_TMPFILE) where the file system
// allows it, else under a hidden name that carries the process id and that a termination signal,
// or a later save once this process has ended, removes.
#include "platform/file_descriptor.h"
#include "platform/posix/termination_cleanup.h"

#include <sys/stat.h>

#include <string>

class StagedFile {
public:
    // Creates the file in directory (a path ending in '/'); opened() tells whether that worked. The
    // file may only be given a name in that directory. QUILLBOX_NAMED_STAGING in the environment
    // makes it take a hidden name, as on a file system without unnamed files.
    explicit StagedFile(std::string directory);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    SystemResult opened() const {
        return file_.isOpen() ? SystemResult::done() : SystemResult::failed(openError_);
    }
    int fd() const { return file_.get(); }

    // Puts back the owner, group and mode the file was created with and drops any access list, after
    // other attributes were tried on it.
    bool makePrivate();
    // Gives the file the name target unless a file has it (EEXIST).
    SystemResult linkAs(const std::string& target);
    // Gives the file the name target in place of whatever has it.
    SystemResult renameOver(const std::string& target);

private:
    bool openUnnamed();
    bool openNamed();
    void forgetName();

    std::string directory_;
    FileDescriptor file_;
    int openError_ = 0; // why the file could not be created
    struct stat created_ {};
    std::string name_; // the hidden name, while the file has one
    PendingStagingName pending_;
};
