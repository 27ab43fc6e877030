// The native main window over the scripted library, driven by window
// messages: its rows during and after a search, the selection rules, the
// context menu and keys, Save List As, and what closing leaves behind.
#include "common/device_info_lines.h"
#include "common/printable_text.h"
#include "locator/core/workers.h"
#include "locator/win32/device_info_dialog.h"
#include "locator/win32/file_dialog.h"
#include "locator/win32/locator_window.h"
#include "locator/win32/ui_post.h"
#include "locator/win32/web_page.h"
#include "locator/win32/wide_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/windows/locator/window_tests.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

using Texts = std::vector<std::wstring>;

// The main window over the fake, with the test's own pins and subnets.
struct MainWindow {
    FakeLibrary fake;
    TempPins pins;
    std::unique_ptr<LocatorWindow> window;

    // Opens it and waits until its first search has been listed.
    bool Open()
    {
        window = std::make_unique<LocatorWindow>(fake.Seam(), pins.Pins());
        window->SetSubnetSource([] { return kLabSubnets; });
        return window->Open(nullptr) && PumpUntil([&] { return fake.searches == 1 && !window->IsSearching(); });
    }
    HWND List() const { return window->Control(ControlId::DeviceList); }
    HWND Button(int id) const { return window->Control(id); }
};

// In reply order; the names sort differently from the addresses.
std::vector<KOVRDeviceInfoRecord> ThreeDevices()
{
    return {MakeRecord(MacOf(3), "10.77.1.9", "bravo"), MakeRecord(MacOf(1), "10.77.1.10", "Charlie"),
            MakeRecord(MacOf(2), "10.77.1.11", "alpha")};
}

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_PAINT) {
        ++*reinterpret_cast<int *>(data);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(MainWindow, PaintsAndRefusesInputWhileTheSearchRunsThenSaysNoDevicesFound)
{
    MainWindow main;
    Gate gate;
    main.fake.onSearch = [&] { gate.Pass(); };
    MessageCapture messages;
    main.window = std::make_unique<LocatorWindow>(main.fake.Seam(), main.pins.Pins());
    ASSERT_TRUE(main.window->Open(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));
    EXPECT_EQ(RowTexts(main.List()), Texts{L"Searching..."});

    int paints = 0;
    SetWindowSubclass(main.List(), CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints));
    InvalidateRect(main.List(), nullptr, TRUE);
    PumpPending();
    EXPECT_GT(paints, 0);
    // Clicks and keys don't land: with no device selected, Device Info
    // would tell the user so, and F5 would search again.
    PostClick(main.Button(ControlId::DeviceInfo));
    PostKey(main.List(), VK_F5);
    PumpPending();
    EXPECT_TRUE(messages.Texts().empty());

    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return !main.window->IsSearching(); }));
    EXPECT_EQ(RowTexts(main.List()), Texts{L"No devices found."});
    EXPECT_TRUE(SelectedRows(main.List()).empty());
    EXPECT_EQ(main.fake.searches, 1);
    // Now they do.
    PostClick(main.Button(ControlId::DeviceInfo));
    PumpPending();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No device is selected.\n"});
    PostKey(main.List(), VK_F5);
    EXPECT_TRUE(PumpUntil([&] { return main.fake.searches == 2 && !main.window->IsSearching(); }));
    RemoveWindowSubclass(main.List(), CountPaints, 1);
}

TEST(MainWindow, ListsDevicesInReplyOrderWithTheFirstSelected)
{
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());
    EXPECT_EQ(RowTexts(main.List()), (Texts{L"10.77.1.9", L"10.77.1.10", L"10.77.1.11"}));
    EXPECT_EQ(RowTexts(main.List(), 1), (Texts{L"02:00:00:00:00:03", L"02:00:00:00:00:01", L"02:00:00:00:00:02"}));
    EXPECT_EQ(RowTexts(main.List(), 2), (Texts{L"bravo", L"Charlie", L"alpha"}));
    EXPECT_EQ(RowTexts(main.List(), 3), (Texts{L"7100-NT", L"7100-NT", L"7100-NT"}));
    EXPECT_EQ(SelectedRows(main.List()), std::vector<int>{0});
    EXPECT_EQ(ListView_GetNextItem(main.List(), -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(main.window->Table().SelectedDevice(), main.window->Table().DeviceAt(0));
    EXPECT_EQ(main.fake.copies, 3);
    // The columns, and the window's own texts.
    const HWND header = ListView_GetHeader(main.List());
    const wchar_t *titles[] = {L"IP Address", L"MAC Address", L"Name", L"Product"};
    for (int i = 0; i < 4; ++i) {
        wchar_t title[64] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = 64;
        Header_GetItem(header, i, &item);
        EXPECT_STREQ(title, titles[i]);
    }
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(main.List()) & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(GetWindowLongW(main.List(), GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_EQ(WindowText(main.window->Window()), L"Korvel-Arden 7100-NT Locator");
    EXPECT_EQ(GetFocus(), main.Button(ControlId::ConfigureIpSettings));
}

TEST(MainWindow, ShowsHostileDeviceTextWholeAndHarmlessInItsRow)
{
    struct Case {
        const char *what;
        std::string name; // the record's field, up to its end
        std::wstring shown;
    };
    const Case cases[] = {
        {"dispatch-S\xC3\xBC"
         "d-\xE6\x9D\xB1",
         "dispatch-S\xC3\xBC"
         "d-\xE6\x9D\xB1",
         L"dispatch-S\u00FCd-\u6771"},
        {"invalid UTF-8", "cam\xFF\xFE", L"cam\uFFFD\uFFFD"},
        {"control characters", "a\tb\r\nc\x1B[2J", L"a\\x09b\\x0d\\x0ac\\x1b[2J"},
        {"right-to-left mark",
         "\xE2\x80\x8F"
         "cam",
         L"\u200Fcam"},
        {"a NUL ends the field", std::string("cam\0hidden", 10), L"cam"},
        {"255 characters, no NUL", std::string(255, 'n'), std::wstring(255, L'n')},
        {"markup and a mnemonic", "<b>&amp;</b>", L"<b>&amp;</b>"},
    };
    MainWindow main;
    for (const Case &c : cases) {
        KOVRDeviceInfoRecord record = MakeRecord(MacOf(static_cast<int>(main.fake.devices.size()) + 1), "10.77.1.20");
        std::memset(record.deviceName, 0, sizeof record.deviceName);
        std::memcpy(record.deviceName, c.name.data(), std::min(c.name.size(), sizeof record.deviceName));
        main.fake.devices.push_back(record);
    }
    ASSERT_TRUE(main.Open());
    const Texts names = RowTexts(main.List(), 2);
    ASSERT_EQ(names.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(names[i], cases[i].shown) << cases[i].what;
        // Each row keeps its other cells.
        EXPECT_EQ(RowTexts(main.List(), 0)[i], L"10.77.1.20") << cases[i].what;
    }
}

// Which tasks a selection allows is the model's rule; here, its flags drawn
// on the buttons and the menu, and the menu keeping the selection.
TEST(MainWindow, SeveralSelectedRowsTurnTheSingleDeviceTasksOff)
{
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());
    for (const std::vector<int> &rows : {std::vector<int>{1}, std::vector<int>{0, 2}}) {
        const bool several = rows.size() > 1;
        SelectRows(main.List(), rows);
        EXPECT_EQ(main.window->Table().SelectedDeviceRows().size(), rows.size());
        for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                       ControlId::RebootDevice}) {
            EXPECT_EQ(IsWindowEnabled(main.Button(id)) != FALSE, !several) << id;
        }
        MenuCapture menu;
        RECT row;
        ListView_GetItemRect(main.List(), rows.back(), &row, LVIR_BOUNDS);
        POINT at = {row.left + 5, (row.top + row.bottom) / 2};
        ClientToScreen(main.List(), &at);
        SendMessageW(main.window->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.List()),
                     MAKELPARAM(at.x, at.y));
        ASSERT_EQ(menu.Entries().size(), 15u);
        EXPECT_EQ(menu.Entries()[4].enabled, !several);
        EXPECT_EQ(SelectedRows(main.List()), rows);
    }
}

TEST(MainWindow, ContextMenuCopiesForgetsAPinAndSelectsItsRow)
{
    MainWindow main;
    main.fake.devices = ThreeDevices();
    main.pins.Pin(MacOf(2));
    ASSERT_TRUE(main.Open());
    const auto openMenuOn = [&](int row) {
        RECT rect;
        ListView_GetItemRect(main.List(), row, &rect, LVIR_BOUNDS);
        POINT at = {rect.left + 5, (rect.top + rect.bottom) / 2};
        ClientToScreen(main.List(), &at);
        SendMessageW(main.window->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.List()),
                     MAKELPARAM(at.x, at.y));
    };
    const std::vector<std::wstring> entries = {L"Copy IP Address",
                                               L"Copy MAC Address",
                                               L"Copy Row",
                                               L"",
                                               L"Open Web Page",
                                               L"",
                                               L"Configure IP Settings",
                                               L"Device Info",
                                               L"Reboot Device",
                                               L"Forget Pin",
                                               L"",
                                               L"Configure Selected Devices...\tCtrl+Shift+C",
                                               L"Apply Plan...\tCtrl+O",
                                               L"",
                                               L"Save List As..."};
    const struct {
        UINT pick;
        std::wstring copied;
    } copies[] = {
        {MenuId::CopyIpAddress, L"10.77.1.11"},
        {MenuId::CopyMacAddress, L"02:00:00:00:00:02"},
        {MenuId::CopyRow, L"10.77.1.11\t02:00:00:00:00:02\talpha\t7100-NT"},
    };
    for (const auto &copy : copies) {
        MenuCapture menu(copy.pick);
        openMenuOn(2);
        std::vector<std::wstring> texts;
        for (const MenuCapture::Entry &entry : menu.Entries()) {
            texts.push_back(entry.text);
        }
        EXPECT_EQ(texts, entries);
        EXPECT_EQ(ClipboardText(), copy.copied);
    }
    // The menu's row became the selected one.
    EXPECT_EQ(SelectedRows(main.List()), std::vector<int>{2});
    // Forget Pin, on for the pinned device, reaches the model.
    MenuCapture forget(MenuId::ForgetPin);
    openMenuOn(2);
    EXPECT_TRUE(forget.Entries()[9].enabled);
    EXPECT_FALSE(main.pins.IsPinned(MacOf(2)));
    // Below the rows there is no menu.
    MenuCapture none;
    POINT below = {5, 300};
    ClientToScreen(main.List(), &below);
    SendMessageW(main.window->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.List()),
                 MAKELPARAM(below.x, below.y));
    EXPECT_EQ(none.Shown(), 0);
}

TEST(MainWindow, AHeaderClickSortsTheRowsKeepingTheSelectionAndCtrlCCopiesIt)
{
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());
    SelectRows(main.List(), {1}); // Charlie
    const HWND header = ListView_GetHeader(main.List());
    RECT name;
    Header_GetItemRect(header, 2, &name);
    PostClick(header, &name);
    PumpPending();
    EXPECT_EQ(RowTexts(main.List(), 2), (Texts{L"alpha", L"bravo", L"Charlie"}));
    EXPECT_EQ(SelectedRows(main.List()), std::vector<int>{2});
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, 2, &item);
    EXPECT_TRUE(item.fmt & HDF_SORTUP);

    SelectRows(main.List(), {0, 2});
    PostKey(main.List(), 'C', true);
    EXPECT_EQ(ClipboardText(), L"10.77.1.11\t02:00:00:00:00:02\talpha\t7100-NT\r\n"
                               L"10.77.1.10\t02:00:00:00:00:01\tCharlie\t7100-NT");
}

TEST(MainWindow, SaveListAsWritesTheListOrSaysWhyNot)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kovr-save-list-test";
    std::filesystem::create_directories(folder);
    static std::wstring chosen;
    const SavePathAsker previous =
        SetSavePathAsker([](HWND, const std::string &, const std::string &, const std::wstring &name) {
            EXPECT_EQ(name, L"devices.csv");
            return std::optional<std::wstring>(chosen);
        });
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());

    chosen = (folder / "devices.csv").wstring();
    MessageCapture messages;
    MenuCapture menu(MenuId::SaveListAs);
    SendMessageW(main.window->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.List()), -1);
    std::stringstream written;
    written << std::ifstream(folder / "devices.csv", std::ios::binary).rdbuf();
    EXPECT_EQ(written.str(), main.window->Table().Csv());
    EXPECT_NE(written.str().find("02:00:00:00:00:03"), std::string::npos);
    EXPECT_TRUE(messages.Texts().empty());

    chosen = (folder / "missing" / "devices.csv").wstring();
    SendMessageW(main.window->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.List()), -1);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("The list could not be saved to " + Narrow(chosen) + ":\n", 0), 0u)
        << messages.Texts()[0];
    SetSavePathAsker(previous);
    std::filesystem::remove_all(folder);
}

TEST(MainWindow, ClosingDuringTheSearchLeavesNoSessionThreadOrRecord)
{
    MainWindow main;
    main.fake.devices = ThreeDevices();
    Gate gate;
    main.fake.onSearch = [&] { gate.Pass(); };
    main.window = std::make_unique<LocatorWindow>(main.fake.Seam(), main.pins.Pins());
    ASSERT_TRUE(main.window->Open(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));
    PostMessageW(main.window->Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return main.window->Window() == nullptr; }));
    // Closed at once, which ends the library's search, not when it returns.
    EXPECT_EQ(main.fake.closed.size(), 1u);
    EXPECT_TRUE(main.fake.searchWakeup->Cancelled());
    main.window.reset();
    gate.Open();
    ApplicationWorkers().JoinAll();
    PumpPending();
    EXPECT_EQ(main.fake.opens, 1);
    EXPECT_FALSE(main.fake.IsOpen(main.fake.closed[0]));
    EXPECT_EQ(main.fake.LiveCopies(), 0);
}

// Configure IP Settings and Reboot Device open their dialog over the
// window, on the selected device.
TEST(MainWindow, DeviceButtonsOpenTheirDialogOnTheSelectedDevice)
{
    struct Case {
        int button;
        const wchar_t *caption;
        int macControl;
        const wchar_t *mac;
    };
    const Case cases[] = {
        {ControlId::ConfigureIpSettings, L"Set IP Address", ControlId::MacText, L"02:00:00:00:00:01"},
        {ControlId::RebootDevice, L"Reboot Device", ControlId::MacLine, L"MAC Address:    02:00:00:00:00:01"},
    };
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());
    SelectRows(main.List(), {1});
    // Its calls run in the dialog's own loop, after the click.
    const UiPost post;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        std::wstring caption, mac;
        HWND owner = nullptr;
        PostClick(main.Button(c.button));
        post.Poster()([&] {
            // Above the window it is shown over.
            const HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", nullptr);
            caption = WindowText(dialog);
            mac = WindowText(GetDlgItem(dialog, c.macControl));
            owner = GetWindow(dialog, GW_OWNER);
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        PumpPending();
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(mac, c.mac);
        EXPECT_EQ(owner, main.window->Window());
        EXPECT_TRUE(IsWindowEnabled(main.window->Window()));
    }
    EXPECT_EQ(main.fake.opens, 1);
}

// The menu from the keyboard acts on the selected row where it stands, and
// Enter or a double-click on a row shows that device's information; the
// window stays until Escape.
TEST(MainWindow, KeysOpenTheMenuAndDeviceInfoOnTheSelectedRow)
{
    struct Case {
        const char *how;
        int row;
        bool menu; // the menu opens, and its Device Info is picked
        std::function<void(HWND list)> act;
    };
    const Case cases[] = {
        {"Shift+F10", 1, true, [](HWND list) { PostKey(list, VK_F10, false, true); }},
        // What the menu key sends.
        {"WM_CONTEXTMENU at (-1, -1)", 1, true,
         [](HWND list) { SendMessageW(GetParent(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1); }},
        {"Enter", 2, false, [](HWND list) { PostKey(list, VK_RETURN); }},
        {"a double-click", 0, false,
         [](HWND list) {
             RECT rect;
             ListView_GetItemRect(list, 0, &rect, LVIR_LABEL);
             const LPARAM at = MAKELPARAM(rect.left + 5, (rect.top + rect.bottom) / 2);
             PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
             PostMessageW(list, WM_LBUTTONUP, 0, at);
             PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
             PostMessageW(list, WM_LBUTTONUP, 0, at);
             PumpPending();
         }},
    };
    MainWindow main;
    main.fake.devices = ThreeDevices();
    ASSERT_TRUE(main.Open());
    const UiPost post;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        SelectRows(main.List(), {c.row});
        SetFocus(main.List());
        // Read in the dialog's own loop, whenever it opens, then closed.
        std::wstring details;
        int looks = 0;
        std::function<void()> look = [&] {
            const HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", L"Device Information");
            if (!dialog) {
                if (++looks < 100) {
                    post.Poster()(look);
                }
                return;
            }
            details = WindowText(GetDlgItem(dialog, ControlId::Details));
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        };
        post.Poster()(look);
        MenuCapture menu(MenuId::DeviceInfo);
        c.act(main.List());
        PumpPending();
        ASSERT_TRUE(main.window->Window() && IsWindowVisible(main.window->Window()));
        EXPECT_EQ(menu.Shown(), c.menu ? 1 : 0);
        const std::wstring mac = RowTexts(main.List(), 1)[static_cast<size_t>(c.row)];
        EXPECT_NE(details.find(L"MAC Address: " + mac), std::wstring::npos) << Narrow(details);
        EXPECT_EQ(SelectedRows(main.List()), std::vector<int>{c.row});
    }
    PostKey(main.List(), VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return main.window->Window() == nullptr; }));
}

TEST(DeviceInfoDialog, ShowsTheRecordsLinesWithTheNameMadeSafe)
{
    KOVRDeviceInfoRecord record = MakeRecord(MacOf(7), "10.77.1.17", "cam\r\n\xFF");
    DeviceInfoDialog dialog(record);
    ASSERT_TRUE(dialog.Open(nullptr));
    const std::wstring details = WindowText(dialog.Control(ControlId::Details));
    // The core's text exactly, "\n" line breaks and all.
    EXPECT_EQ(details, Wide(kovr::common::DeviceInfoText(record, kovr::common::DisplayText)));
    EXPECT_NE(details.find(L"Device Name: cam\\x0d\\x0a\uFFFD\n"), std::wstring::npos);
    EXPECT_NE(details.find(L"MAC Address: 02:00:00:00:00:07\n"), std::wstring::npos);
    EXPECT_EQ(WindowText(dialog.Window()), L"Device Information");
    EXPECT_EQ(WindowText(dialog.Control(ControlId::Ok)), L"OK");
    EXPECT_EQ(GetFocus(), dialog.Control(ControlId::Ok));
}

} // namespace
