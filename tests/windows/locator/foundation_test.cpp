// The native locator's foundation: text for the Win32 calls, dialogs made
// from the core's templates, calls posted to the UI thread, the message
// box seam and the busy window's refusal of input.
#include "locator/core/dialog_template.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/message_box.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"
#include "locator/win32/wide_text.h"
#include "tests/windows/locator/window_tests.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

TEST(WideText, ConvertsTheCoresUtf8AndReplacesWhatCantBeShown)
{
    struct Case {
        const char *name;
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"plain", "cam-1", L"cam-1"},
        {"two and three bytes",
         "dispatch-S\xC3\xBC"
         "d-\xE6\x9D\xB1",
         L"dispatch-S\u00FCd-\u6771"},
        {"four bytes as a surrogate pair", "\xF0\x9F\x93\xB7", L"\xD83D\xDCF7"},
        {"right-to-left mark",
         "a\xE2\x80\x8F"
         "b",
         L"a\u200Fb"},
        {"a byte that is never UTF-8",
         "a\xFF"
         "b",
         L"a\uFFFDb"},
        {"a cut sequence, one per byte", "a\xE6\x9D", L"a\uFFFD\uFFFD"},
        {"an overlong form", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"a surrogate's bytes", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"a NUL keeps what follows", std::string("a\0b", 3), L"a\uFFFDb"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Wide(c.utf8), c.wide) << c.name;
    }
    EXPECT_EQ(Narrow(L"dispatch-S\u00FCd-\u6771\xD83D\xDCF7"), "dispatch-S\xC3\xBC"
                                                               "d-\xE6\x9D\xB1\xF0\x9F\x93\xB7");
    EXPECT_EQ(Narrow(std::wstring(L"a\xD800"
                                  L"b\xDC00")),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

// What the dialog manager made of a template's control.
void ExpectControlAsTemplated(HWND dialog, HWND control, const ControlTemplate &expected, const std::string &where)
{
    SCOPED_TRACE(where);
    static const std::map<ControlKind, const wchar_t *> kClasses = {
        {ControlKind::Label, L"Static"},
        {ControlKind::GroupBox, L"Button"},
        {ControlKind::PushButton, L"Button"},
        {ControlKind::DefaultPushButton, L"Button"},
        {ControlKind::RadioButton, L"Button"},
        {ControlKind::CheckBox, L"Button"},
        {ControlKind::Edit, L"Edit"},
        {ControlKind::PasswordEdit, L"Edit"},
        {ControlKind::ListView, L"SysListView32"},
        {ControlKind::AddressControl, L"SysIPAddress32"},
        {ControlKind::ProgressBar, L"msctls_progress32"},
    };
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), kClasses.at(expected.kind)), 0) << Narrow(ClassOf(control));
    EXPECT_EQ(GetDlgCtrlID(control), expected.id);
    if (expected.kind != ControlKind::AddressControl) {
        EXPECT_EQ(WindowText(control), Wide(expected.text ? expected.text : ""));
    }
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ((style & WS_VISIBLE) != 0, !(expected.flags & Hidden));
    EXPECT_EQ((style & WS_TABSTOP) != 0, (expected.flags & TabStop) != 0);
    if (expected.kind == ControlKind::PasswordEdit) {
        EXPECT_TRUE(style & ES_PASSWORD);
    }
    if (expected.kind == ControlKind::DefaultPushButton) {
        EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    }
    if (expected.kind == ControlKind::Label) {
        // A device's name with & in it shows whole; a label's own & names
        // the mnemonic of the control after it.
        EXPECT_EQ((style & SS_NOPREFIX) == 0, expected.text && std::strchr(expected.text, '&'));
    }
    // Place and size, each converted on its own as the dialog manager does.
    RECT want = {expected.x, expected.y, expected.width, expected.height};
    MapDialogRect(dialog, &want);
    RECT got;
    GetWindowRect(control, &got);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&got), 2);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right - got.left, want.right);
    EXPECT_EQ(got.bottom - got.top, want.bottom);
}

TEST(TemplateDialog, MakesEachTemplatesControlsInTabOrderWithTheirTextsAndPlaces)
{
    const std::pair<const char *, const DialogTemplate *> templates[] = {
        {"main window", &kLocatorTemplate},
        {"IP settings", &kIpSettingsTemplate},
        {"reboot", &kRebootTemplate},
        {"device information", &kDeviceInfoTemplate},
        {"configure selected devices", &kBatchSelectedTemplate},
        {"apply plan", &kBatchPlanTemplate},
    };
    for (const auto &[name, dialogTemplate] : templates) {
        SCOPED_TRACE(name);
        TemplateDialog dialog(*dialogTemplate);
        ASSERT_TRUE(dialog.Open(nullptr));
        const HWND window = dialog.Window();
        EXPECT_EQ(WindowText(window), Wide(dialogTemplate->caption));
        RECT client;
        GetClientRect(window, &client);
        RECT want = {0, 0, dialogTemplate->width, dialogTemplate->height};
        MapDialogRect(window, &want);
        EXPECT_EQ(client.right, want.right);
        EXPECT_EQ(client.bottom, want.bottom);
        // The template's point size, at the screen's resolution.
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
        const HDC screen = GetDC(nullptr);
        EXPECT_EQ(std::abs(font.lfHeight), MulDiv(dialogTemplate->pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);

        HWND control = GetWindow(window, GW_CHILD);
        for (size_t i = 0; i < dialogTemplate->controlCount; ++i) {
            ExpectControlAsTemplated(window, control, dialogTemplate->controls[i], "control " + std::to_string(i));
            control = GetWindow(control, GW_HWNDNEXT);
        }
        EXPECT_EQ(control, nullptr);
        dialog.Close(IDCANCEL);
        EXPECT_EQ(dialog.Window(), nullptr);
        EXPECT_EQ(dialog.Result(), IDCANCEL);
    }
}

TEST(TemplateDialog, EscapeAndTheCloseBoxCancelAndEnterPressesTheDefault)
{
    struct Case {
        const char *name;
        UINT message;
        WPARAM key;
        INT_PTR result;
    };
    // IP settings: Apply (IDOK) is its default button.
    const Case cases[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
        {"Enter", WM_KEYDOWN, VK_RETURN, IDOK},
        {"close box", WM_CLOSE, 0, IDCANCEL},
    };
    for (const Case &c : cases) {
        TemplateDialog dialog(kIpSettingsTemplate);
        ASSERT_TRUE(dialog.Open(nullptr));
        SetFocus(dialog.Control(ControlId::Password));
        PostMessageW(c.message == WM_CLOSE ? dialog.Window() : dialog.Control(ControlId::Password), c.message, c.key,
                     0);
        EXPECT_TRUE(PumpUntil([&] { return dialog.Window() == nullptr; }, 5000)) << c.name;
        EXPECT_EQ(dialog.Result(), c.result) << c.name;
    }
}

TEST(UiPost, RunsCallsOnItsThreadAndDropsThoseLeftWhenItGoes)
{
    auto post = std::make_unique<UiPost>();
    const PostToUi poster = post->Poster();
    DWORD ranOn = 0;
    std::thread([&] { poster([&] { ranOn = GetCurrentThreadId(); }); }).join();
    EXPECT_TRUE(PumpUntil([&] { return ranOn != 0; }, 5000));
    EXPECT_EQ(ranOn, GetCurrentThreadId());

    // One call waits in the queue as the UiPost goes, one comes later: both
    // are destroyed, neither runs.
    bool ran = false;
    auto waiting = std::make_shared<int>(0);
    auto late = std::make_shared<int>(0);
    const std::weak_ptr<int> waitingWatch = waiting, lateWatch = late;
    std::thread([&, held = std::move(waiting)]() mutable { poster([&ran, held] { ran = true; }); }).join();
    post.reset();
    std::thread([&, held = std::move(late)]() mutable { poster([&ran, held] { ran = true; }); }).join();
    PumpPending();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(waitingWatch.expired());
    EXPECT_TRUE(lateWatch.expired());
}

TEST(MessageBoxSeam, EveryBoxGoesThroughTheSeamWithTheProgramsNameAsCaption)
{
    MessageCapture messages;
    ShowMessage(nullptr, "No device is selected.\n");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No device is selected.\n"});
    EXPECT_EQ(ApplicationTitle(), L"locator_windows_gui_tests");
}

// Counts the mouse and key messages that reach a control, and keeps it
// from acting on them.
LRESULT CALLBACK CountInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    const bool mouse = message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK;
    const bool client = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    const bool key = message >= WM_KEYFIRST && message <= WM_KEYLAST;
    if (mouse || client || key) {
        ++*reinterpret_cast<int *>(data);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(BusyWindow, DropsClicksKeysAndWheelButLetsTheFrameWork)
{
    struct Case {
        const char *name;
        UINT message;
        WPARAM wParam;
        bool dropped;
    };
    const Case cases[] = {
        {"click", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right click", WM_RBUTTONUP, 0, true},
        {"double click", WM_LBUTTONDBLCLK, MK_LBUTTON, true},
        {"key", WM_KEYDOWN, VK_F5, true},
        {"character", WM_CHAR, 'a', true},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), true},
        {"Alt with a mnemonic's letter", WM_SYSKEYDOWN, 'B', true},
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, false},
        {"the frame's caption", WM_NCLBUTTONDOWN, HTCAPTION, false},
        {"a move", WM_MOUSEMOVE, 0, false},
    };
    TemplateDialog dialog(kRebootTemplate);
    ASSERT_TRUE(dialog.Open(nullptr));
    const HWND button = dialog.Control(ControlId::Reboot);
    int arrived = 0;
    SetWindowSubclass(button, CountInput, 1, reinterpret_cast<DWORD_PTR>(&arrived));
    for (const Case &c : cases) {
        for (const bool busy : {true, false}) {
            auto refusal = busy ? std::make_unique<BusyWindow>(dialog.Window(), BusyWindow::Cursor::Wait) : nullptr;
            arrived = 0;
            PostMessageW(button, c.message, c.wParam, 0);
            PumpPending();
            // A key may arrive with the character it makes.
            EXPECT_EQ(arrived > 0, !(busy && c.dropped)) << c.name << (busy ? ", busy" : ", not busy");
        }
    }
    RemoveWindowSubclass(button, CountInput, 1);
}

} // namespace
