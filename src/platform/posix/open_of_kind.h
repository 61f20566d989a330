#pragma once
// Opening a name only when what it names is of one kind, judged on the opened file so that no
// rename between a look and the open can swap it.
#include <string>

#include <sys/types.h>

namespace platform {

// A descriptor (close-on-exec) of path opened with flags, or -1 when it cannot be opened or is not
// of kind (an S_IF* value).
int openOfKind(const std::string& path, int flags, mode_t kind);

} // namespace platform
