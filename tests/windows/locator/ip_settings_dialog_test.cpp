// The IP settings dialog: its opening state, the mode switch, the one
// command that Apply sends, the error boxes and the busy rules.
#include "locator/win32/ip_settings_dialog.h"
#include "locator/win32/wide_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/windows/locator/window_tests.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
constexpr int kAddressIds[] = {ControlId::IpAddress, ControlId::SubnetMask, ControlId::Gateway};

KOVRDeviceInfoRecord DeviceRecord(uint8_t dhcpMode, bool dhcpReported = true)
{
    KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.77.1.10", "lab-1", "dispatch-S\xC3\xBC");
    record.subnetMask = Address("255.255.255.0");
    record.gatewayAddress = Address("10.77.1.254");
    record.dhcpMode = dhcpMode;
    if (dhcpReported) {
        record.presentFields |= KOVR_FIELD_DHCP_MODE;
    }
    return record;
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

TEST(IpSettingsDialog, OpensWithTheDeviceAndInTheModeThatItsDhcpModeGives)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        bool reported;
        bool dhcp;
    };
    const Case cases[] = {
        {"DHCP on", 1, true, true},
        {"DHCP off", 0, true, false},
        {"not reported", 0, false, false},
        {"unknown value", 7, true, false},
        // As kovr judges it: DHCP is on only when the device reports it.
        {"1 without presence bit", 1, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(c.dhcpMode, c.reported));
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
        EXPECT_EQ(fake.opens, 0);
    }
}

TEST(IpSettingsDialog, ARadioClickEmptiesThePasswordAndRestoresTheAddresses)
{
    FakeLibrary fake;
    Dialog d(fake, DeviceRecord(0));
    SetWindowTextW(d.Control(ControlId::Password), L"secret");
    SendMessageW(d.Control(ControlId::IpAddress), IPM_SETADDRESS, 0, 0xC0A80163);
    // Also a click on the button that is already checked.
    PostClick(d.Control(ControlId::ManualRadio));
    PumpPending();
    EXPECT_EQ(WindowText(d.Control(ControlId::Password)), L"");
    EXPECT_EQ(d.Packed(ControlId::IpAddress), 0x0A4D010Au);

    SetWindowTextW(d.Control(ControlId::Password), L"secret");
    PostClick(d.Control(ControlId::DhcpRadio));
    PumpPending();
    EXPECT_EQ(WindowText(d.Control(ControlId::Password)), L"");
    EXPECT_TRUE(d.Checked(ControlId::DhcpRadio));
    EXPECT_FALSE(IsWindowEnabled(d.Control(ControlId::Gateway)));
    EXPECT_EQ(fake.CommandCount(), 0);
}

TEST(IpSettingsDialog, ApplySendsTheChosenModesOneCommandAndCloses)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        int radio;                         // clicked before Apply, or 0
        std::optional<DWORD> addresses[3]; // typed: IP, mask, gateway; none leaves it blank
        bool enter;                        // Enter in the password instead of a click on Apply
        std::optional<uint32_t> sent[3];   // SetNetwork's IP, mask, gateway; none for SetDHCP
    };
    const uint32_t ip = Address("192.168.1.10"), mask = Address("255.255.255.0"), gateway = Address("192.168.1.1");
    const Case cases[] = {
        {"DHCP", 1, 0, {0xC0A8010A, 0xFFFFFF00, 0xC0A80101}, false, {}},
        {"static, Enter in the password", 0, 0, {0xC0A8010A, 0xFFFFFF00, 0xC0A80101}, true, {ip, mask, gateway}},
        {"static chosen over DHCP",
         1,
         ControlId::ManualRadio,
         {0xC0A8010A, 0xFFFFFF00, 0xC0A80101},
         false,
         {ip, mask, gateway}},
        {"a blank field as 0.0.0.0", 0, 0, {0xC0A8010A, 0xFFFFFF00, std::nullopt}, false, {ip, mask, 0u}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(c.dhcpMode));
        if (c.radio) {
            PostClick(d.Control(c.radio));
            PumpPending();
        }
        for (size_t i = 0; i < 3; ++i) {
            const HWND control = d.Control(kAddressIds[i]);
            SendMessageW(control, IPM_CLEARADDRESS, 0, 0);
            if (c.addresses[i]) {
                SendMessageW(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(*c.addresses[i]));
            }
        }
        SetWindowTextW(d.Control(ControlId::Password), L"p\u00E4ss");
        if (c.enter) {
            SetFocus(d.Control(ControlId::Password));
            PostMessageW(d.Control(ControlId::Password), WM_KEYDOWN, VK_RETURN, 0);
        } else {
            PostClick(d.Control(ControlId::Ok));
        }
        ASSERT_TRUE(PumpUntil([&] { return d.Closed(); }));
        EXPECT_EQ(d.dialog.Result(), IDOK);
        EXPECT_TRUE(d.messages.Texts().empty());
        ASSERT_EQ(fake.CommandCount(), 1);
        // The password as UTF-8, whatever the system's code page.
        const std::string password = "p\xC3\xA4ss";
        KOVR_HANDLE session = nullptr;
        if (c.sent[0]) {
            ASSERT_EQ(fake.networkCalls.size(), 1u);
            const FakeLibrary::NetworkCall &call = fake.networkCalls[0];
            EXPECT_EQ(call.ip, *c.sent[0]);
            EXPECT_EQ(call.mask, *c.sent[1]);
            EXPECT_EQ(call.gateway, *c.sent[2]);
            EXPECT_EQ(call.mac, kMac);
            EXPECT_EQ(call.password, password);
            session = call.session;
        } else {
            ASSERT_EQ(fake.dhcpCalls.size(), 1u);
            EXPECT_EQ(fake.dhcpCalls[0].mode, 1);
            EXPECT_EQ(fake.dhcpCalls[0].mac, kMac);
            EXPECT_EQ(fake.dhcpCalls[0].password, password);
            session = fake.dhcpCalls[0].session;
        }
        EXPECT_EQ(fake.closed, std::vector<KOVR_HANDLE>{session});
    }
}

TEST(IpSettingsDialog, AFailureIsToldThroughTheMessageBox)
{
    struct Case {
        const char *name;
        bool openFails;
        std::string errorMessage;
        std::wstring password;
        bool confirm; // the answer to the question before a plain password
        std::vector<std::string> texts;
        bool closes;
    };
    const std::string header = "An Error occurred.\nError Number: ";
    const Case cases[] = {
        {"device refuses",
         false,
         "Authentication Failed",
         L"wrong",
         true,
         {header + "1\nError Message: Authentication Failed\n"},
         true},
        {"no session", true, "", L"pw", true, {header + "-1\nError Message: \n"}, true},
        {"a long message cut",
         false,
         std::string(300, 'x'),
         L"pw",
         true,
         {header + "1\nError Message: " + std::string(254, 'x') + "\n"},
         true},
        // Two bytes each in UTF-8: one more than the buffer takes.
        {"password too long",
         false,
         "",
         std::wstring(512, L'\u00FC'),
         true,
         {"The password is longer than 1023 bytes.\n"},
         false},
        {"plain password declined", false, "", L"pw", false, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.openFails = c.openFails;
        fake.commandResult = 1;
        fake.errorNumber = 1;
        fake.errorMessage = c.errorMessage;
        Dialog d(fake, DeviceRecord(1), c.confirm);
        SetWindowTextW(d.Control(ControlId::Password), c.password.c_str());
        ASSERT_TRUE(d.Apply());
        EXPECT_EQ(d.messages.Texts(), c.texts);
        EXPECT_EQ(d.Closed(), c.closes);
        if (!c.closes) {
            // Back in the dialog, the password still typed.
            EXPECT_EQ(WindowText(d.Control(ControlId::Password)), c.password);
            EXPECT_EQ(fake.CommandCount(), 0);
        }
        EXPECT_EQ(fake.closed.size(), static_cast<size_t>(fake.opens));
    }
}

TEST(IpSettingsDialog, CancellingSendsNothing)
{
    struct Case {
        const char *name;
        UINT message;
        WPARAM key;
    };
    const Case cases[] = {{"Cancel", 0, 0}, {"Escape", WM_KEYDOWN, VK_ESCAPE}, {"close box", WM_CLOSE, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(0));
        SetWindowTextW(d.Control(ControlId::Password), L"secret");
        if (c.message == 0) {
            PostClick(d.Control(ControlId::Cancel));
        } else {
            SetFocus(d.Control(ControlId::Password));
            PostMessageW(c.message == WM_CLOSE ? d.dialog.Window() : d.Control(ControlId::Password), c.message, c.key,
                         0);
        }
        ASSERT_TRUE(PumpUntil([&] { return d.Closed(); }, 5000));
        EXPECT_EQ(d.dialog.Result(), IDCANCEL);
        EXPECT_EQ(fake.opens, 0);
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
