// The IP settings dialog's binding to its form: the state drawn, the clicks
// and keys forwarded, the password read as UTF-8 and the busy window.
#include "locator/core/record_text.h"
#include "locator/win32/ip_settings_dialog.h"
#include "locator/win32/wide_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/windows/locator/window_tests.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
constexpr int kAddressIds[] = {ControlId::IpAddress, ControlId::SubnetMask, ControlId::Gateway};

KOVRDeviceInfoRecord DeviceRecord(uint8_t dhcpMode)
{
    return SettingsRecord(kMac, "dispatch-S\xC3\xBC", dhcpMode, true);
}

// A plain device's dialog, open; its question before a plain password is
// answered as `confirm` says.
struct Dialog {
    Dialog(FakeLibrary &fake, const KOVRDeviceInfoRecord &record, bool confirm = true)
        : confirmations(confirm), dialog(fake.Seam(), record, pins.Pins())
    {
        EXPECT_TRUE(dialog.Open(nullptr));
    }
    HWND Control(int id) const { return dialog.Control(id); }
    DWORD Packed(int id) const
    {
        DWORD packed = 0;
        SendMessageW(Control(id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
        return packed;
    }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog.Window(), id) == BST_CHECKED; }
    bool Closed() const { return dialog.Window() == nullptr; }
    // Presses Apply and waits until the change has ended.
    bool Apply()
    {
        PostClick(Control(ControlId::Ok));
        PumpPending();
        return PumpUntil([this] { return !dialog.IsBusy(); });
    }

    TempPins pins;
    MessageCapture messages;
    ConfirmationCapture confirmations;
    IpSettingsDialog dialog;
};

TEST(IpSettingsDialog, OpensDrawnFromTheFormAndClosesWithoutSending)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        bool dhcp;
    };
    const Case cases[] = {{"DHCP on", 1, true}, {"DHCP off", 0, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(c.dhcpMode));
        EXPECT_EQ(WindowText(d.Control(ControlId::ProductText)), L"dispatch-S\u00FC");
        EXPECT_EQ(WindowText(d.Control(ControlId::MacText)), L"0a:1b:2c:3d:4e:5f");
        EXPECT_EQ(d.Checked(ControlId::DhcpRadio), c.dhcp);
        EXPECT_EQ(d.Checked(ControlId::ManualRadio), !c.dhcp);
        for (const int id : kAddressIds) {
            EXPECT_EQ(IsWindowEnabled(d.Control(id)) != FALSE, !c.dhcp) << id;
        }
        // Filled from the record in either mode.
        EXPECT_EQ(d.Packed(ControlId::IpAddress), 0x0A4D010Au);
        EXPECT_EQ(d.Packed(ControlId::SubnetMask), 0xFFFFFF00u);
        EXPECT_EQ(d.Packed(ControlId::Gateway), 0x0A4D01FEu);
        const HWND focus = GetFocus();
        EXPECT_EQ(c.dhcp ? focus : GetParent(focus), d.Control(c.dhcp ? ControlId::Password : ControlId::IpAddress));
        // Escape and Cancel as the close box does.
        PostMessageW(d.dialog.Window(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return d.Closed(); }, 5000));
        EXPECT_EQ(d.dialog.Result(), IDCANCEL);
        EXPECT_EQ(fake.opens, 0);
    }
}

// Tab reaches the radio group at its checked button, and the arrow keys
// choose the other mode, which the form gets.
TEST(IpSettingsDialog, TheModeIsChosenByKeyboard)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        WPARAM arrow;
        int reached, chosen;
    };
    const Case cases[] = {
        {"DHCP to manual", 1, VK_DOWN, ControlId::DhcpRadio, ControlId::ManualRadio},
        {"manual to DHCP", 0, VK_UP, ControlId::ManualRadio, ControlId::DhcpRadio},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(c.dhcpMode));
        // From the last tab stop round to the first.
        SetFocus(d.Control(ControlId::Cancel));
        PostKey(GetFocus(), VK_TAB);
        EXPECT_EQ(GetFocus(), d.Control(c.reached));
        PostKey(GetFocus(), c.arrow);
        EXPECT_EQ(GetFocus(), d.Control(c.chosen));
        EXPECT_TRUE(d.Checked(c.chosen));
        EXPECT_FALSE(d.Checked(c.reached));
        for (const int id : kAddressIds) {
            EXPECT_EQ(IsWindowEnabled(d.Control(id)) != FALSE, c.chosen == ControlId::ManualRadio) << id;
        }
    }
}

TEST(IpSettingsDialog, ApplySendsTheChosenModesOneCommandAndCloses)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        bool chooseStatic; // a click on the manual button first
        bool blankGateway;
        bool enter; // Enter in the password instead of a click on Apply
        std::string sent;
    };
    const Case cases[] = {
        {"DHCP, Enter in the password", 1, false, false, true, "DHCP 1"},
        {"static chosen over DHCP", 1, true, false, false, "192.168.1.10 255.255.255.0 192.168.1.1"},
        {"a blank field as 0.0.0.0", 0, false, true, false, "192.168.1.10 255.255.255.0 0.0.0.0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(c.dhcpMode));
        const HWND password = d.Control(ControlId::Password);
        if (c.chooseStatic) {
            // A click reloads the addresses and empties the password.
            SetWindowTextW(password, L"typed");
            SendMessageW(d.Control(ControlId::IpAddress), IPM_SETADDRESS, 0, 0x01020304);
            PostClick(d.Control(ControlId::ManualRadio));
            PumpPending();
            EXPECT_EQ(WindowText(password), L"");
            EXPECT_EQ(d.Packed(ControlId::IpAddress), 0x0A4D010Au);
        }
        const DWORD typed[] = {0xC0A8010A, 0xFFFFFF00, 0xC0A80101};
        for (size_t i = 0; i < 3; ++i) {
            SendMessageW(d.Control(kAddressIds[i]), IPM_SETADDRESS, 0, typed[i]);
        }
        if (c.blankGateway) {
            SendMessageW(d.Control(ControlId::Gateway), IPM_CLEARADDRESS, 0, 0);
        }
        SetWindowTextW(password, L"p\u00E4ss\xD83D\xDD11");
        if (c.enter) {
            SetFocus(password);
            PostMessageW(password, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            PostClick(d.Control(ControlId::Ok));
        }
        ASSERT_TRUE(PumpUntil([&] { return d.Closed(); }));
        EXPECT_EQ(d.dialog.Result(), IDOK);
        EXPECT_TRUE(d.messages.Texts().empty());
        ASSERT_EQ(fake.CommandCount(), 1);
        std::string sent;
        FakeLibrary::DhcpCall call; // the fields both kinds share
        if (fake.networkCalls.empty()) {
            call = fake.dhcpCalls[0];
            sent = "DHCP " + std::to_string(call.mode);
        } else {
            const FakeLibrary::NetworkCall &network = fake.networkCalls[0];
            call = {network.session, network.mac, 0, network.password};
            sent = FormatDottedAddress(network.ip) + " " + FormatDottedAddress(network.mask) + " " +
                   FormatDottedAddress(network.gateway);
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(call.mac, kMac);
        // As UTF-8, whatever the system's code page.
        EXPECT_EQ(call.password, "p\xC3\xA4ss\xF0\x9F\x94\x91");
        EXPECT_EQ(fake.closed, std::vector<KOVR_HANDLE>{call.session});
    }
}

// The form's box is shown; when nothing was sent the user is back in the
// dialog, the password still typed.
TEST(IpSettingsDialog, AFailureIsToldThroughTheMessageBox)
{
    struct Case {
        const char *name;
        std::string errorMessage;
        std::wstring password;
        bool confirm; // the answer to the question before a plain password
        std::string text;
        bool sent;
    };
    const std::string error = "An Error occurred.\nError Number: ";
    const std::string refused = error + "1\nError Message: Authentication Failed\n";
    const Case cases[] = {
        {"device refuses", "Authentication Failed", L"wrong", true, refused, true},
        // Two bytes each in UTF-8: one more than the buffer takes.
        {"password too long", "", std::wstring(512, L'\u00FC'), true, "The password is longer than 1023 bytes.\n",
         false},
        {"plain password declined", "", L"pw", false, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.commandResult = 1;
        fake.errorNumber = 1;
        fake.errorMessage = c.errorMessage;
        Dialog d(fake, DeviceRecord(1), c.confirm);
        SetWindowTextW(d.Control(ControlId::Password), c.password.c_str());
        ASSERT_TRUE(d.Apply());
        EXPECT_EQ(d.messages.Texts(), c.text.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.text});
        EXPECT_EQ(d.Closed(), c.sent);
        EXPECT_EQ(fake.CommandCount(), c.sent ? 1 : 0);
        if (!c.sent) {
            EXPECT_EQ(WindowText(d.Control(ControlId::Password)), c.password);
        }
        EXPECT_EQ(fake.closed.size(), static_cast<size_t>(fake.opens));
    }
}

// While the change runs the dialog takes no input and doesn't close: the
// outcome, here a failure, still reaches the user.
TEST(IpSettingsDialog, WhileApplyRunsInputAndClosingAreRefused)
{
    FakeLibrary fake;
    fake.commandResult = 1;
    fake.errorNumber = 1;
    fake.errorMessage = "Authentication Failed";
    Gate gate;
    fake.onCommand = [&] { gate.Pass(); };
    Dialog d(fake, DeviceRecord(0));
    PostClick(d.Control(ControlId::Ok));
    ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));

    PostClick(d.Control(ControlId::DhcpRadio));
    PostClick(d.Control(ControlId::Cancel));
    PostMessageW(d.Control(ControlId::Password), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(d.dialog.Window(), WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_FALSE(d.Closed());
    EXPECT_TRUE(d.Checked(ControlId::ManualRadio));
    EXPECT_TRUE(d.messages.Texts().empty());

    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return d.Closed(); }));
    EXPECT_EQ(d.messages.Texts(),
              std::vector<std::string>{"An Error occurred.\nError Number: 1\nError Message: Authentication Failed\n"});
    EXPECT_EQ(d.dialog.Result(), IDOK);
    EXPECT_EQ(fake.closed, std::vector<KOVR_HANDLE>{fake.networkCalls[0].session});
}

} // namespace
