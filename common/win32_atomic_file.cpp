#include "common/atomic_file.h"

#include "common/write_all.h"

#include "discovery/platform/system_errors.h"

#include <windows.h>

namespace kovr::common {

namespace {

// Fills the new file and closes it; the handle is closed either way.
bool FillAndClose(HANDLE file, const std::string &text)
{
    const bool written = WriteAll(file, text) && FlushFileBuffers(file);
    const DWORD writeError = GetLastError();
    CloseHandle(file);
    SetLastError(writeError);
    return written;
}

} // namespace

Replacement ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &error, Readers)
{
    // The path comes from the command line, in the system's code page as
    // the other files kovr opens. The new file is in the same folder, so
    // that the move is a rename, and named by the process, so that two runs
    // at once don't share it.
    const std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId());
    const HANDLE file =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = platform::SystemErrorText(platform::LastSystemError());
        return Replacement::Failed;
    }
    if (!FillAndClose(file, text) ||
        !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = platform::SystemErrorText(platform::LastSystemError());
        DeleteFileA(temporary.c_str());
        return Replacement::Failed;
    }
    return Replacement::Done;
}

} // namespace kovr::common
