#include "block_security.h"

#include "handles.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace CustomPipes {

namespace {

// The current user's SID as text ("S-1-5-21-..."); empty when it cannot be read.
std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

}  // namespace

UserAndSystemAccess::UserAndSystemAccess() {
    const std::wstring user = CurrentUserSid();
    if (user.empty()) return;
    // Protected: nothing is inherited; all access for the system and for this user.
    const std::wstring sddl = L"D:P(A;;GA;;;SY)(A;;GA;;;" + user + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return;
    }
    descriptor_.reset(descriptor);
    attributes_ = {sizeof attributes_, descriptor_.get(), FALSE};
}

}  // namespace CustomPipes
