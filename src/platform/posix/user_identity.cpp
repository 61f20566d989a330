#include "platform/user_identity.h"

#include <unistd.h>

namespace platform {

std::string userIdentity() {
    return std::to_string(::getuid());
}

} // namespace platform
