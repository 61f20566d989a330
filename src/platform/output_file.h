#pragma once
// Saving the whole content of a file so that a failure never costs the old content and no byte of
// the new content is ever in a file other than the one named.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class SaveStatus {
    Saved,
    Exists,   // the file exists, or appeared during the save, and was to be kept: nothing was written
    DiskFull, // no space, a quota or a file-size limit; the old content is whole
    Failed,   // any other failure; the old content is whole
    // Failed, and the folder would not let the staging file go: it was emptied and left under its
    // hidden name
    EmptyStagingFileLeft,
    Declined, // the file could only be overwritten in place, and that was declined: nothing was written
};

// What becomes of a file that already has the name.
enum class ExistingFile { Keep, Replace };

// Asked once before a file's content is overwritten in place, which its other names see and which a
// kill midway leaves half new: true to go on. None goes on.
using InPlaceConsent = std::function<bool()>;

// Writes bytes as the whole content of path and makes sure they reached the disk. A symbolic link is
// followed to the file it names, which is created when it does not exist, unless the kernel's
// protected-symlink rule would refuse to follow it (Failed). A replaced file keeps its owner, group,
// mode, hard links and extended attributes; where putting a new file in its place cannot keep them,
// its content is overwritten in place, with consent, once the space for it is sure.
SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing,
                         const InPlaceConsent& consent = {});

// Removes the staging files that ended processes of the running user left where a save to path puts
// its own, and returns how many there were. A save calls it before it starts.
int removeAbandonedStagingFiles(const std::string& path);

// At the start of a job, once the program's own folder is known: from now on the folders where saves
// name staging files are listed in the file recordPath, and the staging files that ended processes of
// the running user left in the folders listed there are removed now. Returns each folder where some
// were, with their number.
std::vector<std::pair<std::string, int>> removeAbandonedStagingFilesRecordedIn(const std::string& recordPath);

// True for an existing file that must not be written: no write permission bit set for anyone, or the
// system refuses writing. The bits matter because root may write anything.
bool isReadOnlyFile(const std::string& path);

// Once at start-up, before other threads start: a file-size limit makes writes fail instead of ending
// the process, and a termination signal the process can catch removes the staging files of unfinished
// saves before the process ends.
void prepareProcessForSaving();
