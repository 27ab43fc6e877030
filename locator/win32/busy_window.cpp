#include "locator/win32/busy_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace kovr::locator {

namespace {

// The busy windows of this thread, and the hook that drops their input
// while there is one.
struct BusyThread {
    std::vector<HWND> windows;
    HHOOK hook = nullptr;
};
thread_local BusyThread t_busy;

bool IsUserInput(const MSG &message)
{
    switch (message.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
    case WM_XBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_DEADCHAR:
    case WM_SYSCHAR:
    case WM_SYSDEADCHAR:
    case WM_UNICHAR:
    case WM_TOUCH:
        return true;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Alt+F4 closes the window and Alt+Space opens its system menu,
        // as its frame's buttons do; Alt with a letter would press a button.
        return message.wParam != VK_F4 && message.wParam != VK_SPACE;
    default:
        return false;
    }
}

LRESULT CALLBACK DropBusyInput(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        auto *message = reinterpret_cast<MSG *>(lParam);
        if (BusyWindow::Drops(*message)) {
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HCURSOR WaitCursor()
{
    return LoadCursorW(nullptr, IDC_WAIT);
}

bool CursorOver(HWND window)
{
    POINT at;
    return GetCursorPos(&at) && GetAncestor(WindowFromPoint(at), GA_ROOT) == window;
}

} // namespace

BusyWindow::BusyWindow(HWND window, Cursor cursor) : window_(window), waitCursor_(cursor == Cursor::Wait)
{
    if (t_busy.windows.empty()) {
        t_busy.hook = SetWindowsHookExW(WH_GETMESSAGE, DropBusyInput, nullptr, GetCurrentThreadId());
    }
    t_busy.windows.push_back(window_);
    if (waitCursor_) {
        SetWindowSubclass(window_, CursorProc, reinterpret_cast<UINT_PTR>(this), 0);
        if (CursorOver(window_)) {
            SetCursor(WaitCursor());
        }
    }
}

BusyWindow::~BusyWindow()
{
    if (waitCursor_) {
        RemoveWindowSubclass(window_, CursorProc, reinterpret_cast<UINT_PTR>(this));
        if (CursorOver(window_)) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        }
    }
    std::vector<HWND> &windows = t_busy.windows;
    windows.erase(std::find(windows.begin(), windows.end(), window_));
    if (windows.empty()) {
        UnhookWindowsHookEx(t_busy.hook);
        t_busy.hook = nullptr;
    }
}

bool BusyWindow::Drops(const MSG &message)
{
    if (!message.hwnd || !IsUserInput(message)) {
        return false;
    }
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    const std::vector<HWND> &windows = t_busy.windows;
    return std::find(windows.begin(), windows.end(), root) != windows.end();
}

LRESULT CALLBACK BusyWindow::CursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    // The controls ask their parent first; over the frame the cursor
    // stays as it is, for moving and closing.
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
        SetCursor(WaitCursor());
        return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace kovr::locator
