// The reboot dialog's model: every state the face is told, from a press of
// Reboot to the end of the wait, and what closing or tearing the dialog
// down during the wait leaves behind.
#include "locator/core/reboot_run.h"
#include "locator/core/workers.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};

std::unique_ptr<kovr::common::Password> Secret()
{
    auto password = std::make_unique<kovr::common::Password>();
    password->Assign("secret", 6);
    return password;
}

// A state as "busy, status, notice", the busy flag as - (no), S (sending)
// or W (waiting).
std::string Told(const RebootRun::State &state)
{
    std::string told = "-SW"[static_cast<int>(state.busy)] + std::string(",");
    told += state.status ? English(*state.status) : "";
    if (state.notice) {
        told += "," + English(*state.notice);
    }
    return told;
}

} // namespace

TEST(RebootRun, OpensWithTheDevicesLinesAndNoStatus)
{
    FakeLibrary fake;
    TestUi ui;
    TempPins pins;
    RebootRun run(fake.Seam(), MakeRecord(kMac, "10.77.1.10", "lab-1", "7100-NT"), pins.Pins(), ui.Post(), {},
                  [](const RebootRun::State &) {});
    EXPECT_EQ(English(run.Current().productLine), "Product Name:\t7100-NT");
    EXPECT_EQ(English(run.Current().macLine), "MAC Address:    02:1a:2b:3c:4d:5e");
    EXPECT_EQ(Told(run.Current()), "-,");
}

// The device is pinned and answers with its challenge, unless it is plain
// and the user declines to send the password in clear. The first pause of
// the wait, and a held command, hold until the case ends.
TEST(RebootRun, TellsTheFaceEachStateOfTheRebootAndItsWait)
{
    enum Device { Answers, Silent, Refuses, Plain, NoSession };
    enum Step { Reboot, HeldReboot, TooLong, Settle, AtWait, Close, TearDown };
    struct Case {
        const char *name;
        Device device;
        std::vector<Step> steps;
        std::vector<std::string> told;
        int commands;
        int polls;
    };
    const std::string sending = "S,";
    const std::string rebooting = "W,Status: Rebooting";
    const std::string refusal = "-,,An Error occured while rebooting the device.\nError Number: ";
    const Case cases[] = {
        {"ready", Answers, {Reboot, Settle}, {sending, rebooting, "-,Status: Ready"}, 1, 1},
        {"timed out", Silent, {Reboot, Settle}, {sending, rebooting, "-,Status: Timed out"}, 1, 41},
        {"refused", Refuses, {Reboot, Settle}, {sending, refusal + "1\nError Message: Authentication Failed\n"}, 1, 0},
        {"no session", NoSession, {Reboot, Settle}, {sending, refusal + "-1\nError Message: \n"}, 0, 0},
        {"the user keeps a plain password", Plain, {Reboot, Settle}, {sending, "-,"}, 0, 0},
        {"a password too long", Answers, {TooLong}, {"-,,The password is longer than 1023 bytes.\n"}, 0, 0},
        {"a second press while busy", Answers, {HeldReboot, Reboot}, {sending, rebooting, "-,Status: Ready"}, 1, 1},
        {"closed while idle", Answers, {Close}, {}, 0, 0},
        {"closed during the wait, then pressed again",
         Silent,
         {Reboot, AtWait, Close, Reboot, Settle},
         {sending, rebooting, "-,Status: Rebooting", "S,Status: Rebooting", rebooting, "-,Status: Timed out"},
         2,
         1 + 41},
        {"torn down during the wait", Silent, {Reboot, AtWait, TearDown}, {sending, rebooting}, 1, 1},
        {"torn down before the command's reply", Answers, {HeldReboot, TearDown}, {sending}, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.77.1.10");
        fake.devices = {c.device == Plain ? record : WithChallenge(record)};
        fake.commandResult = c.device == Refuses ? 1 : 0;
        fake.openFails = c.device == NoSession;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        fake.deviceAnswers = [&c](int) { return c.device != Silent; };
        Gate command;
        fake.onCommand = [&] { command.Pass(); };
        if (std::find(c.steps.begin(), c.steps.end(), HeldReboot) == c.steps.end()) {
            command.Open();
        }
        TestUi ui;
        TempPins pins;
        if (c.device != Plain) {
            pins.Pin(kMac);
        }
        std::vector<std::string> told;
        std::optional<RebootRun> run;
        run.emplace(
            fake.Seam(), record, pins.Pins(), ui.Post(), [](const Message &) { return false; },
            [&](const RebootRun::State &state) { told.push_back(Told(state)); });
        Gate wait;
        run->SetPause([&](std::chrono::milliseconds) { wait.Pass(); });
        for (const Step step : c.steps) {
            switch (step) {
            case Reboot:
            case HeldReboot:
                run->OnReboot(Secret());
                break;
            case TooLong:
                run->OnReboot(nullptr);
                break;
            case Settle:
                wait.Open();
                ASSERT_TRUE(ui.RunUntil([&] { return run->Current().busy == RebootRun::Busy::No; }));
                break;
            case AtWait:
                ASSERT_TRUE(
                    ui.RunUntil([&] { return wait.Reached() && run->Current().busy == RebootRun::Busy::Waiting; }));
                break;
            case Close:
                run->OnClose();
                break;
            case TearDown:
                ASSERT_TRUE(ui.RunUntil([&] { return command.Reached() || wait.Reached(); }));
                run.reset();
                break;
            }
        }
        command.Open();
        wait.Open();
        ApplicationWorkers().JoinAll();
        ui.RunUntil([] { return false; }, std::chrono::seconds(0));
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(fake.CommandCount(), c.commands);
        // Every session closed, none polled after the dialog let go.
        EXPECT_EQ(fake.closed.size(), static_cast<size_t>(fake.opens));
        EXPECT_EQ(fake.deviceInfoPolls - (c.device == Plain ? 1 : 0), c.polls);
    }
}
