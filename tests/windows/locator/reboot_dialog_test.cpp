// The reboot dialog's binding to its model (core/reboot_run.h): the model's
// state drawn, Reboot and the close forwarded, and what only Win32 does:
// focus, keys, dropped input while busy and the window that carried the
// worker's results.
#include "locator/core/workers.h"
#include "locator/win32/reboot_dialog.h"
#include "locator/win32/wide_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/windows/locator/window_tests.h"

#include <gtest/gtest.h>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};

// A pinned device that answers with its challenge: no query before the
// command, and every reply counts in the wait.
struct Dialog {
    explicit Dialog(FakeLibrary &fake)
        : record(MakeRecord(kMac, "10.77.1.10", "lab-1", "7100-NT")), dialog(fake.Seam(), record, pins.Pins())
    {
        fake.devices = {WithChallenge(record)};
        pins.Pin(kMac);
        // On the worker, read once the wait's end has been posted.
        dialog.SetPause([this](std::chrono::milliseconds pause) { pauses.push_back(static_cast<int>(pause.count())); });
        EXPECT_TRUE(dialog.Open(nullptr));
    }
    HWND Control(int id) const { return dialog.Control(id); }
    std::wstring Status() const { return WindowText(Control(ControlId::Status)); }
    bool Closed() const { return dialog.Window() == nullptr; }
    // Presses Reboot and waits until the command, and the wait if any, ended.
    bool Reboot(const wchar_t *password)
    {
        SetWindowTextW(Control(ControlId::RebootPassword), password);
        PostClick(Control(ControlId::Reboot));
        PumpPending();
        return PumpUntil([this] { return !dialog.IsBusy(); });
    }

    TempPins pins;
    MessageCapture messages;
    KOVRDeviceInfoRecord record;
    std::vector<int> pauses;
    RebootDialog dialog;
};

TEST(RebootDialog, OpensWithProductAndMacLinesAndThePasswordFocused)
{
    FakeLibrary fake;
    Dialog d(fake);
    EXPECT_EQ(WindowText(d.dialog.Window()), L"Reboot Device");
    EXPECT_EQ(WindowText(d.Control(ControlId::ProductLine)), L"Product Name:\t7100-NT");
    EXPECT_EQ(WindowText(d.Control(ControlId::MacLine)), L"MAC Address:    02:1a:2b:3c:4d:5e");
    EXPECT_EQ(d.Status(), L"");
    EXPECT_EQ(WindowText(d.Control(ControlId::RebootPassword)), L"");
    EXPECT_EQ(GetFocus(), d.Control(ControlId::RebootPassword));
    // Enter there is Close, not Reboot: no button is the default.
    PostMessageW(d.Control(ControlId::RebootPassword), WM_KEYDOWN, VK_RETURN, 0);
    PumpPending();
    EXPECT_TRUE(d.Closed());
    EXPECT_EQ(d.dialog.Result(), IDOK);
    EXPECT_EQ(fake.opens, 0);
}

// A refusal's box, and the next press's status; the password stays for it.
TEST(RebootDialog, DrawsARefusalAndTheStatusOfTheNextPress)
{
    FakeLibrary fake;
    fake.commandResult = 1;
    fake.errorNumber = 1;
    fake.errorMessage = "Authentication Failed";
    Dialog d(fake);
    ASSERT_TRUE(d.Reboot(L"wrong"));
    EXPECT_EQ(d.messages.Texts(), std::vector<std::string>{"An Error occured while rebooting the device.\nError "
                                                           "Number: 1\nError Message: Authentication Failed\n"});
    EXPECT_EQ(d.Status(), L"");
    EXPECT_EQ(WindowText(d.Control(ControlId::RebootPassword)), L"wrong");
    EXPECT_FALSE(d.Closed());

    fake.commandResult = 0;
    ASSERT_TRUE(d.Reboot(L"right"));
    EXPECT_EQ(d.Status(), L"Status: Ready");
    ASSERT_EQ(fake.rebootCalls.size(), 2u);
    EXPECT_EQ(fake.rebootCalls[1].password, "right");
    EXPECT_EQ(fake.rebootCalls[1].mac, kMac);
}

// Input is dropped while the dialog waits, but its close box works and
// ends the wait; the worker then closes its session and ends.
TEST(RebootDialog, WhileTheWaitRunsOnlyTheCloseBoxWorksAndLeavesNothingBehind)
{
    FakeLibrary fake;
    fake.deviceAnswers = [](int) { return false; };
    Gate gate;
    {
        Dialog d(fake);
        // The worker outlives the dialog, and its pause with it.
        d.dialog.SetPause([&gate](std::chrono::milliseconds) { gate.Pass(); });
        SetWindowTextW(d.Control(ControlId::RebootPassword), L"secret");
        PostClick(d.Control(ControlId::Reboot));
        ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));
        PumpPending();
        EXPECT_EQ(d.Status(), L"Status: Rebooting");

        PostClick(d.Control(ControlId::Reboot));
        PostClick(d.Control(ControlId::Ok));
        PostMessageW(d.Control(ControlId::RebootPassword), WM_KEYDOWN, VK_ESCAPE, 0);
        PumpPending();
        EXPECT_FALSE(d.Closed());

        PostMessageW(d.dialog.Window(), WM_CLOSE, 0, 0);
        PumpPending();
        EXPECT_TRUE(d.Closed());
        EXPECT_EQ(d.dialog.Result(), IDCANCEL);
        // The worker's call still uses the session.
        EXPECT_TRUE(fake.closed.empty());

        gate.Open();
        ApplicationWorkers().JoinAll();
        EXPECT_EQ(fake.rebootCalls.size(), 1u);
        EXPECT_EQ(fake.closed, std::vector<KOVR_HANDLE>{fake.rebootCalls[0].session});
        // No poll after the close.
        EXPECT_EQ(fake.deviceInfoPolls, 1);
        PumpPending();
        EXPECT_TRUE(d.messages.Texts().empty());
    }
    // Nor the window that carried the worker's results.
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"kovr.locator.UiPost", nullptr), nullptr);
}

} // namespace
