#include "platform/instance_lock.h"

#include "wide_text.h"

#include <windows.h>

namespace platform {

InstanceLock::InstanceLock(const std::string& name) {
    // Per session; a mutex of that name made by another user or session is refused (no handle).
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, widen("Local\\" + name).c_str());
    if (mutex == nullptr) {
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

InstanceLock::~InstanceLock() {
    if (held()) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

} // namespace platform
