#include "platform/output_file.h"

#include "platform/work_progress.h"
#include "wide_text.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>

// The bytes go to a fresh file beside the target, reach the disk (FlushFileBuffers), are measured,
// and only then take the target's place: ReplaceFileW over an old file, so that it keeps its
// attributes and security, MoveFileExW for a new one, which refuses a file that appeared meanwhile.
// Until it is complete the fresh file is marked for deletion, so a process killed meanwhile leaves
// no decrypted bytes behind.

namespace {

struct HandleClose {
    void operator()(void* handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleClose>;

bool isDiskFullError(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || error == ERROR_NOT_ENOUGH_QUOTA;
}

SaveStatus statusOfError() {
    return isDiskFullError(GetLastError()) ? SaveStatus::DiskFull : SaveStatus::Failed;
}

std::wstring directoryOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, separator + 1);
}

bool markForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Creates a new file next to target that nobody else has opened; its path goes to tempPath.
FileHandle createTemporaryBeside(const std::wstring& target, std::wstring& tempPath) {
    static std::mt19937_64 generator{std::random_device{}()};
    // A short fixed stem, so that an output whose name is near the length limit can still be saved.
    const std::wstring stem = directoryOf(target) + L".quillbox-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + std::to_wstring(generator() % 1000000000ULL) + L".tmp";
        const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            FileHandle owned(file);
            if (markForDeletion(file, true)) {
                return owned;
            }
            owned.reset();
            DeleteFileW(tempPath.c_str());
            return FileHandle();
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return FileHandle();
        }
    }
    return FileHandle();
}

// Writes in blocks (a job's pass counts them and may stop between them), flushes to the disk and
// compares the size that arrived with the size that was meant.
SaveStatus fillFile(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size(), workBlockSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), piece, &written, nullptr)) {
            return statusOfError();
        }
        if (written == 0) {
            return SaveStatus::DiskFull;
        }
        bytes.remove_prefix(written);
        if (!WorkPass::advanced(written)) {
            return SaveStatus::Failed;
        }
    }
    if (!FlushFileBuffers(file)) {
        return statusOfError();
    }
    return SaveStatus::Saved;
}

bool hasSize(HANDLE file, std::size_t expected) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
           static_cast<std::size_t>(size.QuadPart) >= expected;
}

} // namespace

void treatFileSizeLimitAsWriteError() {
    // Windows has no file-size signal: a limit is already a failed write.
}

bool isReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(platform::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing) {
    // An empty content is never saved, as the size check would refuse it anyway; nothing is touched.
    if (bytes.empty()) {
        return SaveStatus::DiskFull;
    }
    const std::wstring target = platform::widen(path);
    if (target.empty()) {
        return SaveStatus::Failed;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
    if (replacing &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)) != 0) {
        return SaveStatus::Failed;
    }
    if (replacing && existing == ExistingFile::Keep) {
        return SaveStatus::Exists;
    }
    std::wstring tempPath;
    FileHandle file = createTemporaryBeside(target, tempPath);
    if (!file) {
        return SaveStatus::Failed;
    }
    SaveStatus status = fillFile(file.get(), bytes);
    if (status == SaveStatus::Saved && !hasSize(file.get(), bytes.size())) {
        status = SaveStatus::DiskFull;
    }
    if (status == SaveStatus::Saved && !markForDeletion(file.get(), false)) {
        status = SaveStatus::Failed;
    }
    if (!CloseHandle(file.release()) && status == SaveStatus::Saved) {
        status = SaveStatus::Failed;
    }
    if (status == SaveStatus::Saved) {
        const bool moved =
            replacing ? ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
                            MoveFileExW(tempPath.c_str(), target.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                      : MoveFileExW(tempPath.c_str(), target.c_str(),
                                    MOVEFILE_WRITE_THROUGH |
                                        (existing == ExistingFile::Replace ? MOVEFILE_REPLACE_EXISTING : 0));
        if (!moved) {
            // Without MOVEFILE_REPLACE_EXISTING a file that appeared meanwhile is kept.
            status = !replacing && GetLastError() == ERROR_ALREADY_EXISTS
                         ? (existing == ExistingFile::Keep ? SaveStatus::Exists : SaveStatus::Failed)
                         : SaveStatus::Failed;
        }
    }
    if (status != SaveStatus::Saved) {
        DeleteFileW(tempPath.c_str());
    }
    return status;
}
