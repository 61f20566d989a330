#include "platform/output_file.h"

#include "platform/staging_name.h"
#include "wide_text.h"

// <windows.h> first: <aclapi.h> needs its types.
#include <windows.h>

#include <aclapi.h>

#include <memory>
#include <vector>

// A staging file outlives its process only when the process ended between clearing the file's
// deletion mark and renaming it. A live process keeps its staging file open to nobody else, so a
// file that can be opened at all is abandoned.

namespace {

struct HandleClose {
    void operator()(void* handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleClose>;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};

bool hasEnded(std::uint64_t process) {
    if (process == 0 || process > 0xFFFFFFFFULL || process == GetCurrentProcessId()) {
        return false;
    }
    const Handle running(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process)));
    if (!running) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD exitCode = 0;
    return GetExitCodeProcess(running.get(), &exitCode) && exitCode != STILL_ACTIVE;
}

// The running user's security identifier, in the buffer that holds it.
std::vector<unsigned char> runningUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    const Handle ownedToken(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

bool ownedBy(HANDLE file, const std::vector<unsigned char>& user) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (user.empty() || GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, LocalMemoryFree> ownedDescriptor(descriptor);
    return EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid) != 0;
}

bool removeIfAbandoned(const std::wstring& path, const std::vector<unsigned char>& user) {
    Handle file(CreateFileW(path.c_str(), DELETE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ownedBy(file.get(), user) &&
           SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

} // namespace

int removeAbandonedStagingFiles(const std::string& path) {
    const std::wstring wide = platform::widen(path);
    const std::size_t separator = wide.find_last_of(L"\\/");
    const std::wstring directory =
        separator == std::wstring::npos ? std::wstring(L".\\") : wide.substr(0, separator + 1);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((directory + L".quillbox-*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const std::vector<unsigned char> user = runningUser();
    int removed = 0;
    do {
        const std::optional<std::uint64_t> process =
            platform::stagingProcessOf(platform::narrow(found.cFileName));
        if (process && hasEnded(*process) && removeIfAbandoned(directory + found.cFileName, user)) {
            ++removed;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

// The system removes a staging file when its process ends, however it ends, except in the moment
// between clearing its deletion mark and renaming it; no list of folders is kept for that moment.
std::vector<std::pair<std::string, int>>
removeAbandonedStagingFilesRecordedIn(const std::string& /*recordPath*/) {
    return {};
}
