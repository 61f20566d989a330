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
    // file may only be given a name in that directory.
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
    // Takes the hidden name away from a file that will not be saved. Where the directory no longer
    // allows that, the file is emptied first, so that its name keeps no byte of the content; false
    // then.
    bool discard();
    // Gives the file the name target in place of whatever has it. When that fails, the file may keep a
    // hidden name until discard() or the end of this object.
    SystemResult renameOver(const std::string& target);

private:
    bool openUnnamed();
    bool openNamed();
    void forgetName();
    SystemResult moveWithoutReplacing(const std::string& target);
    SystemResult takeHiddenName();

    std::string directory_;
    FileDescriptor file_;
    int openError_ = 0; // why the file could not be created
    struct stat created_ {};
    std::string name_; // the hidden name, while the file has one
    PendingStagingName pending_;
};
