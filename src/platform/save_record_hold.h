#pragma once
// A save and the record of it belong together: from the moment a save puts its output in place until
// the job has recorded it (the activity log, the command line's report), a termination signal waits,
// so that an output on disk is never reported as interrupted, nor left out of the log.
namespace platform {

// While it lives, the first commit of a save on this thread (the output linked or renamed into
// place, or written in place) keeps the termination signals waiting past the commit's own end, until
// release() or the end of this object; then they act. A signal that comes before the commit acts at
// once, as always. One at a time per thread.
class SaveRecordHold {
public:
    SaveRecordHold();
    SaveRecordHold(const SaveRecordHold&) = delete;
    SaveRecordHold& operator=(const SaveRecordHold&) = delete;
    ~SaveRecordHold();

    void release();
};

} // namespace platform
