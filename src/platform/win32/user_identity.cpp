#include "platform/user_identity.h"

#include "wide_text.h"

// <windows.h> first: <sddl.h> needs its types.
#include <windows.h>

#include <sddl.h>

#include <memory>
#include <vector>

namespace platform {

std::string userIdentity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return std::string();
    }
    const std::unique_ptr<void, decltype(&CloseHandle)> ownedToken(token, CloseHandle);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return std::string();
    }
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return std::string();
    }
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> ownedText(text, LocalFree);
    return narrow(text);
}

} // namespace platform
