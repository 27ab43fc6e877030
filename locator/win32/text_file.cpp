#include "locator/win32/text_file.h"

#include "discovery/platform/system_errors.h"

#include <windows.h>

#include <algorithm>

namespace kovr::locator {

bool WriteTextFile(const std::wstring &path, const std::string &text, std::string &error)
{
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = platform::SystemErrorText(static_cast<platform::SystemError>(GetLastError()));
        return false;
    }
    size_t done = 0;
    bool written = true;
    while (written && done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
        DWORD n = 0;
        written = WriteFile(file, text.data() + done, chunk, &n, nullptr) && n > 0;
        done += n;
    }
    if (!written) {
        error = platform::SystemErrorText(static_cast<platform::SystemError>(GetLastError()));
    }
    CloseHandle(file);
    return written;
}

} // namespace kovr::locator
