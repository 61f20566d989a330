#include "platform/save_record_hold.h"

// Console signals arrive on a thread of their own and a save defers none of them here, so there is
// no commit to hold past.
namespace platform {

SaveRecordHold::SaveRecordHold() = default;

SaveRecordHold::~SaveRecordHold() = default;

void SaveRecordHold::release() {}

} // namespace platform
