#include "platform/output_file.h"

#include "platform/staging_name.h"
#include "platform/work_progress.h"
#include "wide_text.h"

// <windows.h> first: <aclapi.h> needs its types.
#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <memory>
#include <vector>

// The bytes go to a staging file beside the target that nobody else may open and that is marked for
// deletion, so a process killed meanwhile leaves nothing. Once the bytes reached the disk
// (FlushFileBuffers) and measure right, the file takes what ReplaceFileW would keep of an old file
// (attributes, creation time, access list), and the open file is renamed to the target in the call
// right after the deletion mark is cleared: no other name ever holds a finished content.

namespace {

struct HandleClose {
    void operator()(void* handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleClose>;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};

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

// Creates a staging file next to target that nobody else may open, deleted when it is closed.
FileHandle createStagingBeside(const std::wstring& target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name =
            directoryOf(target) + platform::widen(platform::stagingFileName(GetCurrentProcessId()));
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            FileHandle owned(file);
            if (markForDeletion(file, true)) {
                return owned;
            }
            owned.reset();
            DeleteFileW(name.c_str());
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
    const std::size_t size = bytes.size();
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
    LARGE_INTEGER arrived{};
    if (!GetFileSizeEx(file, &arrived)) {
        return SaveStatus::Failed;
    }
    return static_cast<std::uint64_t>(arrived.QuadPart) == size ? SaveStatus::Saved : SaveStatus::DiskFull;
}

// What ReplaceFileW keeps of the file it replaces: its attributes, creation time and access list.
bool takeOverAttributes(HANDLE file, const std::wstring& old) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(old.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    FILE_BASIC_INFO basic{}; // times left at 0 stay as they are
    basic.CreationTime.LowPart = data.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(data.ftCreationTime.dwHighDateTime);
    basic.FileAttributes = data.dwFileAttributes;
    if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
        return false;
    }
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(old.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &accessList, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, LocalMemoryFree> ownedDescriptor(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        return false;
    }
    const SECURITY_INFORMATION which =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, accessList, nullptr) ==
           ERROR_SUCCESS;
}

// Gives the open file the name target; an existing file of that name is replaced only when replace.
bool renameOpenFile(HANDLE file, const std::wstring& target, bool replace) {
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    target.copy(rename->FileName, target.size());
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

std::wstring fullPathOf(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return std::wstring();
    }
    full.resize(length);
    return full;
}

// The deletion mark is cleared only in the call before the rename, and set again when the rename fails.
SaveStatus giveName(HANDLE file, const std::wstring& target, bool replacing, ExistingFile existing) {
    if (!markForDeletion(file, false)) {
        return SaveStatus::Failed;
    }
    if (renameOpenFile(file, target, replacing || existing == ExistingFile::Replace)) {
        return SaveStatus::Saved;
    }
    const DWORD error = GetLastError();
    markForDeletion(file, true);
    const bool appeared = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    return appeared && existing == ExistingFile::Keep ? SaveStatus::Exists : SaveStatus::Failed;
}

} // namespace

void prepareProcessForSaving() {
    // Windows has no file-size signal, and a killed process's staging file goes with its handle.
}

bool isReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(platform::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Nothing is ever overwritten in place here, so no consent is asked.
SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing,
                         const InPlaceConsent& /*consent*/) {
    // An empty content is never saved, as the size check would refuse it anyway; nothing is touched.
    if (bytes.empty()) {
        return SaveStatus::DiskFull;
    }
    const std::wstring target = fullPathOf(platform::widen(path));
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
    const FileHandle file = createStagingBeside(target);
    if (!file) {
        return SaveStatus::Failed;
    }
    const SaveStatus status = fillFile(file.get(), bytes);
    if (status != SaveStatus::Saved) {
        return status;
    }
    // An old file whose attributes cannot be kept stays as it is.
    if (replacing && !takeOverAttributes(file.get(), target)) {
        return SaveStatus::Failed;
    }
    return giveName(file.get(), target, replacing, existing);
}
