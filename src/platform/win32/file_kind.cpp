#include "platform/file_kind.h"

#include "wide_text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <utility>

namespace platform {

namespace {

// A handle that reads nothing, only what the file is; INVALID_HANDLE_VALUE when it cannot be had.
HANDLE queryHandle(const std::string& path) {
    return path.empty()
               ? INVALID_HANDLE_VALUE
               : CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

FileKind fileKind(const std::string& path) {
    const HANDLE file = queryHandle(path);
    if (file == INVALID_HANDLE_VALUE) {
        return FileKind::Missing;
    }
    const DWORD type = GetFileType(file);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool directory = type == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
                           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(file);
    return type == FILE_TYPE_PIPE   ? FileKind::Pipe
           : type == FILE_TYPE_CHAR ? FileKind::CharacterDevice
           : type != FILE_TYPE_DISK ? FileKind::Other
           : directory              ? FileKind::Directory
                                    : FileKind::Regular;
}

bool sameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION other{};
    for (auto [path, information] : {std::pair{&first, &one}, std::pair{&second, &other}}) {
        const HANDLE file = queryHandle(*path);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool known = GetFileInformationByHandle(file, information);
        CloseHandle(file);
        if (!known) {
            return false;
        }
    }
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

int openDeviceForWriting(const std::string& path) {
    if (fileKind(path) != FileKind::CharacterDevice) {
        return -1;
    }
    return ::_wopen(widen(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

} // namespace platform
