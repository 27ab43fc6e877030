#include "tools/kovr/password.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kovr::cli {

namespace {

// The console whose echo is off, for the interrupt handler to restore.
HANDLE g_promptInput = INVALID_HANDLE_VALUE;
DWORD g_savedMode = 0;

BOOL WINAPI RestoreConsoleOnInterrupt(DWORD)
{
    SetConsoleMode(g_promptInput, g_savedMode);
    // The handlers before this one, in the end the one that ends the
    // process, run as without the prompt.
    return FALSE;
}

HANDLE OpenConsole(const char *name)
{
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

void WriteConsoleText(HANDLE output, const std::string &text)
{
    DWORD written = 0;
    WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

bool PromptForPassword(const std::string &prompt, Password &password, std::string &error)
{
    // The console itself, wherever standard input and output go.
    const HANDLE input = OpenConsole("CONIN$");
    DWORD saved = 0;
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved)) {
        if (input != INVALID_HANDLE_VALUE) {
            CloseHandle(input);
        }
        error = "no console to ask for the password; use --password-file FILE or --password-stdin";
        return false;
    }
    // From here the descriptor owns the handle.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(input), _O_RDONLY | _O_BINARY);
    const HANDLE output = OpenConsole("CONOUT$");
    if (fd < 0 || output == INVALID_HANDLE_VALUE) {
        if (fd < 0) {
            CloseHandle(input);
        } else {
            _close(fd);
        }
        error = "cannot use the console to ask for the password";
        return false;
    }
    g_promptInput = input;
    g_savedMode = saved;
    SetConsoleCtrlHandler(RestoreConsoleOnInterrupt, TRUE);

    // Echo goes off, dropping what was typed ahead, before the prompt shows:
    // whatever is typed once it is on screen is read, and never echoed.
    SetConsoleMode(input,
                   (saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    FlushConsoleInputBuffer(input);
    WriteConsoleText(output, prompt);
    const bool ok = password.ReadLine(fd, error);
    // The Enter that ended the line was not echoed either.
    WriteConsoleText(output, "\r\n");
    SetConsoleMode(input, saved);

    SetConsoleCtrlHandler(RestoreConsoleOnInterrupt, FALSE);
    g_promptInput = INVALID_HANDLE_VALUE;
    CloseHandle(output);
    _close(fd);
    return ok;
}

} // namespace kovr::cli
