#include "locator/win32/text_file.h"

#include "common/write_all.h"
#include "discovery/platform/system_errors.h"

#include <windows.h>

namespace kovr::locator {

bool WriteTextFile(const std::wstring &path, const std::string &text, std::string &error)
{
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = platform::SystemErrorText(static_cast<platform::SystemError>(GetLastError()));
        return false;
    }
    const bool written = common::WriteAll(file, text);
    if (!written) {
        error = platform::SystemErrorText(static_cast<platform::SystemError>(GetLastError()));
    }
    CloseHandle(file);
    return written;
}

} // namespace kovr::locator
