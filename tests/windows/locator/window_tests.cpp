#include "tests/windows/locator/window_tests.h"

#include "locator/win32/message_box.h"
#include "locator/win32/popup_menu.h"
#include "locator/win32/template_dialog.h"

#include <commctrl.h>

namespace kovr::test {

namespace {

std::vector<std::string> g_texts;
locator::MessagePresenter g_previous = nullptr;

void Capture(HWND, const std::string &text)
{
    g_texts.push_back(text);
}

std::vector<MenuCapture::Entry> g_entries;
int g_menusShown = 0;
UINT g_pick = 0;
locator::MenuPresenter g_previousMenu = nullptr;

UINT CaptureMenu(HWND, HMENU menu, POINT)
{
    ++g_menusShown;
    g_entries.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        g_entries.push_back({text, (state & (MF_GRAYED | MF_DISABLED)) == 0, GetMenuItemID(menu, i)});
    }
    return g_pick;
}

bool g_answer = true;
int g_asked = 0;
locator::ConfirmationPresenter g_previousConfirmation = nullptr;

bool Confirm(HWND, const std::string &)
{
    ++g_asked;
    return g_answer;
}

} // namespace

bool PumpUntil(const std::function<bool()> &done, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

void PumpPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        locator::TemplateDialog::Deliver(message);
    }
}

MessageCapture::MessageCapture()
{
    g_texts.clear();
    g_previous = locator::SetMessagePresenter(Capture);
}

MessageCapture::~MessageCapture()
{
    locator::SetMessagePresenter(g_previous);
}

const std::vector<std::string> &MessageCapture::Texts() const
{
    return g_texts;
}

MenuCapture::MenuCapture(UINT pick)
{
    g_entries.clear();
    g_menusShown = 0;
    g_pick = pick;
    g_previousMenu = locator::SetMenuPresenter(CaptureMenu);
}

MenuCapture::~MenuCapture()
{
    locator::SetMenuPresenter(g_previousMenu);
}

const std::vector<MenuCapture::Entry> &MenuCapture::Entries() const
{
    return g_entries;
}

int MenuCapture::Shown() const
{
    return g_menusShown;
}

std::vector<std::wstring> RowTexts(HWND list, int column)
{
    std::vector<std::wstring> texts;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        wchar_t text[1024] = {};
        ListView_GetItemText(list, row, column, text, 1024);
        texts.push_back(text);
    }
    return texts;
}

std::vector<int> SelectedRows(HWND list)
{
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
        rows.push_back(i);
    }
    return rows;
}

void SelectRows(HWND list, const std::vector<int> &rows)
{
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows) {
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

void PostClick(HWND control, const RECT *part)
{
    RECT rect;
    GetClientRect(control, &rect);
    if (part) {
        rect = *part;
    }
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
}

void PostKey(HWND control, WPARAM key, bool ctrl, bool shift)
{
    // The accelerators read the modifiers' state, as the keyboard leaves it.
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    // F10 is a system key: the keyboard sends it as one.
    const bool system = key == VK_F10;
    PostMessageW(control, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
    PostMessageW(control, system ? WM_SYSKEYUP : WM_KEYUP, key, 1 | 0xC0000000);
    PumpPending();
    state[VK_CONTROL] = 0;
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t *>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

ConfirmationCapture::ConfirmationCapture(bool answer)
{
    g_answer = answer;
    g_asked = 0;
    g_previousConfirmation = locator::SetConfirmationPresenter(Confirm);
}

ConfirmationCapture::~ConfirmationCapture()
{
    locator::SetConfirmationPresenter(g_previousConfirmation);
}

int ConfirmationCapture::Asked() const
{
    return g_asked;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

} // namespace kovr::test
