#include "common/win32_file_access.h"

#include <memory>

namespace kovr::common {

namespace {

constexpr WELL_KNOWN_SID_TYPE kBroadGroups[] = {WinWorldSid,         WinAuthenticatedUserSid, WinBuiltinUsersSid,
                                                WinBuiltinGuestsSid, WinInteractiveSid,       WinAnonymousSid};

bool IsBroadGroup(const void *sid)
{
    for (const WELL_KNOWN_SID_TYPE type : kBroadGroups) {
        if (IsWellKnownSid(const_cast<void *>(sid), type)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool GrantsToOthers(const ACL *dacl, ACCESS_MASK rights)
{
    if (dacl == nullptr) {
        return true;
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void *ace = nullptr;
        if (!GetAce(const_cast<ACL *>(dacl), i, &ace)) {
            continue;
        }
        const auto *header = static_cast<const ACE_HEADER *>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue;
        }
        const auto *allowed = static_cast<const ACCESS_ALLOWED_ACE *>(ace);
        if ((allowed->Mask & rights) != 0 && IsBroadGroup(&allowed->SidStart)) {
            return true;
        }
    }
    return false;
}

bool IsOwnOrSystemSid(const void *owner)
{
    PSID sid = const_cast<void *>(owner);
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid)) {
        return true;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    const auto buffer = std::make_unique<BYTE[]>(size > 0 ? size : 1);
    const bool own = size > 0 && GetTokenInformation(token, TokenUser, buffer.get(), size, &size) &&
                     EqualSid(reinterpret_cast<TOKEN_USER *>(buffer.get())->User.Sid, sid);
    CloseHandle(token);
    return own;
}

} // namespace kovr::common
