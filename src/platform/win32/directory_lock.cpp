#include "platform/directory_lock.h"

#include "wide_text.h"

#include <windows.h>

#include <cstdint>
#include <string>

// A directory cannot carry a file lock on Windows, so the lock is a mutex named after the directory's
// final path (upper case, so that every spelling of one directory names one mutex).

namespace platform {

namespace {

std::wstring finalPathOf(const std::wstring& directory) {
    const HANDLE opened = CreateFileW(directory.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::wstring();
    }
    std::wstring path(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(opened, path.data(), static_cast<DWORD>(path.size()), 0);
    CloseHandle(opened);
    if (length == 0 || length >= path.size()) {
        return std::wstring();
    }
    path.resize(length);
    CharUpperBuffW(path.data(), length);
    return path;
}

// Object names may not hold '\' and are short, so the path goes in as a 64-bit FNV-1a hash.
std::wstring mutexNameFor(const std::wstring& path) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
    }
    return L"Local\\quillbox-directory-lock-" + std::to_wstring(hash);
}

} // namespace

DirectoryLock::DirectoryLock(const std::string& directory) {
    const std::wstring path = finalPathOf(widen(directory));
    if (path.empty()) {
        return;
    }
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexNameFor(path).c_str());
    if (mutex == nullptr) {
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    // An owner that ended without releasing it leaves it abandoned, which hands it on all the same.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

DirectoryLock::~DirectoryLock() {
    if (handle_ == -1) {
        return;
    }
    const auto mutex = reinterpret_cast<HANDLE>(handle_);
    if (held_) {
        ReleaseMutex(mutex);
    }
    CloseHandle(mutex);
}

} // namespace platform
