#include "platform/console.h"

namespace platform {

Utf8Console::Utf8Console() = default;

Utf8Console::~Utf8Console() = default;

void reachParentConsole() {}

} // namespace platform
