#include "common/secret_file.h"

#include "discovery/platform/system_errors.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <aclapi.h>

namespace kovr::common {

namespace {

// The groups that hold more users than the file's owner.
constexpr WELL_KNOWN_SID_TYPE kBroadGroups[] = {WinWorldSid,         WinAuthenticatedUserSid, WinBuiltinUsersSid,
                                                WinBuiltinGuestsSid, WinInteractiveSid,       WinAnonymousSid};

bool IsBroadGroup(const void *sid)
{
    for (const WELL_KNOWN_SID_TYPE type : kBroadGroups) {
        BYTE group[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof group;
        if (CreateWellKnownSid(type, nullptr, group, &size) && EqualSid(const_cast<void *>(sid), group)) {
            return true;
        }
    }
    return false;
}

// Deny entries are not weighed against the grants, so a file that a grant
// and a denial both name counts as readable: a false alarm asks the user to
// tighten the file, a missed grant would leave passwords open.
bool GrantsReadToOthers(const ACL *dacl)
{
    if (dacl == nullptr) {
        // No access list at all lets everyone in.
        return true;
    }
    constexpr ACCESS_MASK kReadRights = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;
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
        if ((allowed->Mask & kReadRights) != 0 && IsBroadGroup(&allowed->SidStart)) {
            return true;
        }
    }
    return false;
}

} // namespace

const char kOthersMayReadAdvice[] = "can be read by other users; make it private first, for example with "
                                    "icacls FILE /inheritance:r /grant:r %USERNAME%:F";

int OpenForReading(const std::string &path, std::string &error)
{
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct _stati64 status {};
    const bool described = _fstati64(fd, &status) == 0;
    if (!described || (status.st_mode & _S_IFMT) != _S_IFREG) {
        error = described ? kNotARegularFile : std::strerror(errno);
        _close(fd);
        return -1;
    }
    return fd;
}

std::optional<OpenFileFacts> DescribeOpenFile(int fd, std::string &error)
{
    struct _stati64 status {};
    if (_fstati64(fd, &status) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    ACL *dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result = GetSecurityInfo(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        error = platform::SystemErrorText(static_cast<platform::SystemError>(result));
        return std::nullopt;
    }
    OpenFileFacts facts;
    facts.size = status.st_size > 0 ? static_cast<size_t>(status.st_size) : 0;
    facts.othersMayRead = GrantsReadToOthers(dacl);
    LocalFree(descriptor);
    return facts;
}

} // namespace kovr::common
