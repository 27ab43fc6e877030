#include "tools/kovr/interrupt_pipe.h"

#include <atomic>

#include <windows.h>

namespace kovr::cli {

namespace {

std::atomic<HANDLE> g_interruptEvent{nullptr};

// Runs on a thread of its own that the console starts.
BOOL WINAPI SetInterruptEvent(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) {
        // Closing the console, logging off or shutting down end the process.
        return FALSE;
    }
    if (const HANDLE event = g_interruptEvent.load()) {
        SetEvent(event);
    }
    return TRUE;
}

} // namespace

InterruptPipe::InterruptPipe()
{
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) {
        return;
    }
    handle_ = event;
    valid_ = true;
    g_interruptEvent = event;
    SetConsoleCtrlHandler(SetInterruptEvent, TRUE);
}

InterruptPipe::~InterruptPipe()
{
    if (!valid_) {
        return;
    }
    SetConsoleCtrlHandler(SetInterruptEvent, FALSE);
    g_interruptEvent = nullptr;
    CloseHandle(handle_);
}

} // namespace kovr::cli
