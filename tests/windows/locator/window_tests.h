// What the tests of the native locator's windows share: a message loop
// that runs until a condition holds, and the message boxes caught.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kovr::test {

// Delivers the thread's messages as the program's loop does until `done`
// holds; false after `limitMs`.
bool PumpUntil(const std::function<bool()> &done, DWORD limitMs = 20000);
// Delivers what is waiting now.
void PumpPending();

// Collects what would have been shown in message boxes, for its lifetime.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;
    const std::vector<std::string> &Texts() const;
};

// A window's class name.
std::wstring ClassOf(HWND window);

// A list view's cells in one column, top to bottom, and its selected rows.
std::vector<std::wstring> RowTexts(HWND list, int column = 0);
std::vector<int> SelectedRows(HWND list);
// Selects these rows of a list view alone, as the user's clicks would.
void SelectRows(HWND list, const std::vector<int> &rows);

// A click with the left button in the middle of a control (or of a part
// of it), posted as the mouse would post it.
void PostClick(HWND control, const RECT *part = nullptr);
// A key pressed (and let go) with Ctrl and Shift as given, posted to the
// control with the focus as the keyboard would.
void PostKey(HWND control, WPARAM key, bool ctrl = false, bool shift = false);

// The text on the clipboard.
std::wstring ClipboardText();

// Catches the context menus shown while it lives: each entry's text
// ("" for a separator) and state, and picks the entry `pick` names (0: none).
class MenuCapture {
public:
    struct Entry {
        std::wstring text;
        bool enabled;
        UINT id;
    };
    explicit MenuCapture(UINT pick = 0);
    ~MenuCapture();
    MenuCapture(const MenuCapture &) = delete;
    MenuCapture &operator=(const MenuCapture &) = delete;
    // The entries of the last menu shown; none if none was.
    const std::vector<Entry> &Entries() const;
    int Shown() const;
};

// Answers the questions asked before a password goes in plain, for its
// lifetime, and counts them.
class ConfirmationCapture {
public:
    explicit ConfirmationCapture(bool answer = true);
    ~ConfirmationCapture();
    ConfirmationCapture(const ConfirmationCapture &) = delete;
    ConfirmationCapture &operator=(const ConfirmationCapture &) = delete;
    int Asked() const;
};

} // namespace kovr::test
