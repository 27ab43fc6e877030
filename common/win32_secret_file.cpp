#include "common/secret_file.h"

#include "common/win32_file_access.h"

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

constexpr ACCESS_MASK kReadRights = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;

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
    facts.othersMayRead = GrantsToOthers(dacl, kReadRights);
    LocalFree(descriptor);
    return facts;
}

} // namespace kovr::common
