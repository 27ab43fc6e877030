#include "tools/kovr/terminal.h"

#include <io.h>
#include <windows.h>

namespace kovr::cli {

bool RedrawsLinesInPlace(int fd)
{
    // Only a console has a mode; the C runtime's isatty() also says yes to
    // other character devices such as NUL.
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

} // namespace kovr::cli
