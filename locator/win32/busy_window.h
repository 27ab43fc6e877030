#pragma once

#include <windows.h>

namespace kovr::locator {

// While a window waits for the library off the UI thread it keeps painting
// and can be moved and closed (its frame, Alt+F4 and Alt+Space still work),
// but the user's clicks, keys and wheel turns to it are dropped, as they
// would have been while the thread was blocked. With a wait cursor, the
// cursor shows the wait over the window too. Both end with the object.
// Input is dropped as it leaves the thread's queue, whichever loop takes
// it: the main loop, a modal dialog's or a message box's.
class BusyWindow {
public:
    enum class Cursor { Unchanged, Wait };

    BusyWindow(HWND window, Cursor cursor);
    ~BusyWindow();
    BusyWindow(const BusyWindow &) = delete;
    BusyWindow &operator=(const BusyWindow &) = delete;

    // Whether a busy window drops this message; the thread's hook asks.
    static bool Drops(const MSG &message);

private:
    static LRESULT CALLBACK CursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

    HWND window_;
    bool waitCursor_;
};

} // namespace kovr::locator
