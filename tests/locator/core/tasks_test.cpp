// The search, IP settings and reboot tasks without a window: what reaches
// the face's thread, and when, and what the guard lets a password do.
#include "locator/core/ip_settings_task.h"
#include "locator/core/reboot_task.h"
#include "locator/core/search_job.h"
#include "locator/core/workers.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace kovr::locator;
using kovr::test::Address;
using kovr::test::FakeLibrary;
using kovr::test::Gate;
using kovr::test::MakeRecord;
using kovr::test::TempPins;
using kovr::test::TestUi;
using kovr::test::WithChallenge;

namespace {

const FakeLibrary::Mac kMac = {2, 0, 0, 0, 0, 1};

std::unique_ptr<kovr::common::Password> Secret()
{
    auto password = std::make_unique<kovr::common::Password>();
    password->Assign("secret", 6);
    return password;
}

bool Yes(const Message &)
{
    return true;
}

const kovr::common::DeviceSettings kWanted{false, Address("10.77.1.50"), Address("255.255.255.0"),
                                           Address("10.77.1.1")};

} // namespace

// A device seen with its challenge is pinned; one whose replies disagree
// about it is named for its row's mark.
TEST(SearchJob, HandsWhatItFoundToTheUiThreadOrDropsItWhenCancelled)
{
    const FakeLibrary::Mac plain = {2, 0, 0, 0, 0, 2};
    const FakeLibrary::Mac spoofed = {2, 0, 0, 0, 0, 3};
    FakeLibrary fake;
    fake.devices = {WithChallenge(MakeRecord(kMac, "10.77.1.5")), MakeRecord(plain, "10.77.1.6"),
                    WithChallenge(MakeRecord(spoofed, "10.77.1.7"))};
    fake.otherReplies = {MakeRecord(spoofed, "10.77.1.7")};
    TestUi ui;
    TempPins pins;
    const KOVR_HANDLE session = fake.Seam().OpenByGuid(&kLocatorSessionGuid);
    SearchJob job(fake.Seam(), pins.Pins(), ui.Post());
    std::optional<SearchJob::Found> found;
    ASSERT_TRUE(job.Start(session, [&](const SearchJob::Found &result) { found = result; }));
    EXPECT_FALSE(job.Start(session, [](const SearchJob::Found &) {}));
    ASSERT_TRUE(ui.RunUntil([&] { return found.has_value(); }));
    EXPECT_EQ(found->devices.size(), 3u);
    EXPECT_EQ(found->conflictingChallenges, std::vector<kovr::common::MacAddress>{spoofed});
    EXPECT_TRUE(pins.IsPinned(kMac) && pins.IsPinned(spoofed));
    EXPECT_FALSE(pins.IsPinned(plain));
    EXPECT_FALSE(job.Running());

    Gate gate;
    fake.onSearch = [&] { gate.Pass(); };
    found.reset();
    ASSERT_TRUE(job.Start(session, [&](const SearchJob::Found &result) { found = result; }));
    ASSERT_TRUE(ui.RunUntil([&] { return gate.Reached(); }));
    job.Cancel();
    gate.Open();
    EXPECT_FALSE(ui.RunUntil([&] { return found.has_value(); }, std::chrono::seconds(1)));
    fake.Seam().Close(session);
    ApplicationWorkers().JoinAll();
}

// A lost reply is checked with a query: a change the device holds is done,
// one it doesn't is sent again; a refusal is final and tells why. For the
// pinned device here, only a reply with its challenge confirms a change.
TEST(IpSettingsTask, VerifiesALostReplyAndSendsAgain)
{
    struct Case {
        const char *name;
        int32_t firstResult;
        bool deviceTakesTheFirst;
        bool impostorAfterTheFirst; // answers from then on, without the challenge
        bool openFails;
        size_t commands;
        std::string error; // its start
    };
    const Case cases[] = {
        {"acknowledged", 0, true, false, false, 1, ""},
        {"the reply lost, the change made", -2, true, false, false, 1, ""},
        {"the request lost", -2, false, false, false, 2, ""},
        {"the reply lost, an impostor shows the change", -2, true, true, false, 1,
         "02:00:00:00:00:01 offered a challenge before and now answers without one"},
        {"refused", 1, false, false, false, 1,
         "An Error occurred.\nError Number: 1\nError Message: Authentication Failed\n"},
        {"no session", 0, false, false, true, 0, "An Error occurred.\nError Number: -1\nError Message: \n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = {WithChallenge(MakeRecord(kMac, "10.77.1.5"))};
        fake.openFails = c.openFails;
        fake.commandResult = c.firstResult;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        fake.onCommand = [&] {
            if (fake.networkCalls.size() == 1 && c.deviceTakesTheFirst) {
                fake.devices[0].ipAddress = kWanted.ip;
                fake.devices[0].subnetMask = kWanted.mask;
                fake.devices[0].gatewayAddress = kWanted.gateway;
            }
            if (fake.networkCalls.size() == 1 && c.impostorAfterTheFirst) {
                fake.devices[0].presentFields &= ~KOVR_FIELD_NONCE;
                fake.devices[0].nonceLength = 0;
            }
            if (fake.networkCalls.size() == 2) {
                fake.commandResult = 0;
            }
        };
        TestUi ui;
        TempPins pins;
        pins.Pin(kMac);
        IpSettingsTask task(fake.Seam(), fake.devices[0], pins.Pins(), ui.Post(), Yes);
        std::optional<IpSettingsTask::Outcome> outcome;
        ASSERT_TRUE(task.Apply(kWanted, Secret(), [&](const IpSettingsTask::Outcome &o) { outcome = o; }));
        EXPECT_TRUE(task.Running());
        ASSERT_TRUE(ui.RunUntil([&] { return outcome.has_value(); }));
        EXPECT_FALSE(task.Running());
        EXPECT_EQ(fake.networkCalls.size(), c.commands);
        const std::string error = outcome->error ? English(*outcome->error) : "";
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
        EXPECT_EQ(error.empty(), c.error.empty());
        EXPECT_EQ(fake.closed.size(), 1u);
        ApplicationWorkers().JoinAll();
    }
}

// The device here is pinned, and only its own reply, with its challenge,
// ends the wait.
TEST(RebootTask, RebootsThenWaitsForTheDevice)
{
    struct Case {
        const char *name;
        int32_t result;
        int answersAtPoll; // 0: never
        bool impostorAfterTheReboot;
        std::string told;
        int polls;
    };
    const Case cases[] = {
        {"ready at once", 0, 1, false, "Status: Rebooting|Status: Ready", 1},
        {"ready at the fortieth further poll", 0, 41, false, "Status: Rebooting|Status: Ready", 41},
        {"timed out", 0, 0, false, "Status: Rebooting|Status: Timed out", 41},
        {"only an impostor answers", 0, 1, true, "Status: Rebooting|Status: Timed out", 41},
        {"refused", 1, 1, false,
         "An Error occured while rebooting the device.\nError Number: 1\nError Message: Authentication Failed\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = {WithChallenge(MakeRecord(kMac, "10.77.1.5"))};
        fake.commandResult = c.result;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        fake.deviceAnswers = [&](int poll) { return c.impostorAfterTheReboot || poll == c.answersAtPoll; };
        fake.onCommand = [&] {
            if (c.impostorAfterTheReboot) {
                fake.devices[0] = MakeRecord(kMac, "10.77.1.5");
            }
        };
        TestUi ui;
        TempPins pins;
        pins.Pin(kMac);
        RebootTask task(fake.Seam(), fake.devices[0], pins.Pins(), ui.Post(), Yes);
        task.SetPause([](std::chrono::milliseconds) {});
        std::string told;
        bool ended = false;
        RebootTask::Listener listener{[&](const std::optional<Message> &error) {
                                          told = error ? English(*error) : "declined";
                                          ended = true;
                                      },
                                      [&](TextId status) { told = English(status) + "|"; },
                                      [&](TextId status) {
                                          told += English(status);
                                          ended = true;
                                      }};
        ASSERT_TRUE(task.Start(Secret(), listener));
        ASSERT_TRUE(ui.RunUntil([&] { return ended; }));
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(fake.deviceInfoPolls, c.polls);
        EXPECT_FALSE(task.Running());
        ApplicationWorkers().JoinAll();
        EXPECT_EQ(fake.closed.size(), 1u);
    }
}

// Both dialogs' commands: a pinned device is sent its password only with
// its challenge; a plain one only once the user said yes.
TEST(DeviceCommand, SendsThePasswordOnlyAsTheGuardAllows)
{
    enum class Task { IpSettings, Reboot };
    struct Case {
        const char *name;
        bool pinned;
        bool challenge; // in the reply to a query for its MAC
        bool answer;    // to the question about a plain password
        bool asked;
        bool sent;
        std::string error; // its start; "" for none
        bool pinnedAfter;
    };
    const Case cases[] = {
        {"pinned, and an impostor answers", true, false, true, false, false,
         "02:00:00:00:00:01 offered a challenge before and now answers without one: someone may be impersonating "
         "it, so the password was not sent. If the device really changed, choose Forget Pin in its row's menu",
         true},
        {"plain, and the user cancels", false, false, false, true, false, "", false},
        {"plain, and the user agrees", false, false, true, true, true, "", false},
        {"a challenge, seen for the first time", false, true, false, false, true, "", true},
        {"pinned, with its challenge", true, true, false, false, true, "", true},
    };
    for (const Task kind : {Task::IpSettings, Task::Reboot}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(kind == Task::Reboot ? "reboot: " : "IP settings: ") + c.name);
            FakeLibrary fake;
            const KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.77.1.5");
            fake.devices = {c.challenge ? WithChallenge(record) : record};
            TestUi ui;
            TempPins pins;
            if (c.pinned) {
                pins.Pin(kMac);
            }
            int questions = 0;
            const Confirm confirm = [&](const Message &question) {
                ++questions;
                EXPECT_EQ(English(question).rfind("02:00:00:00:00:01 offers no challenge, so its password crosses", 0),
                          0u);
                return c.answer;
            };
            std::optional<std::optional<Message>> error; // the outer: ended
            bool declined = false;
            std::optional<IpSettingsTask> ipSettings;
            std::optional<RebootTask> reboot;
            if (kind == Task::IpSettings) {
                ipSettings.emplace(fake.Seam(), record, pins.Pins(), ui.Post(), confirm);
                ipSettings->Apply(kWanted, Secret(), [&](const IpSettingsTask::Outcome &outcome) {
                    error = outcome.error;
                    declined = outcome.declined;
                });
            } else {
                reboot.emplace(fake.Seam(), record, pins.Pins(), ui.Post(), confirm);
                reboot->SetPause([](std::chrono::milliseconds) {});
                reboot->Start(Secret(), {[&](const std::optional<Message> &refusal) {
                                             error = refusal;
                                             declined = !refusal;
                                         },
                                         [](TextId) {}, [&](TextId) { error.emplace(); }});
            }
            ASSERT_TRUE(ui.RunUntil([&] { return error.has_value(); }));
            ApplicationWorkers().JoinAll();
            const std::string text = *error ? English(**error) : "";
            EXPECT_EQ(text.substr(0, c.error.size()), c.error);
            EXPECT_EQ(text.empty(), c.error.empty()) << text;
            EXPECT_EQ(questions, c.asked ? 1 : 0);
            EXPECT_EQ(declined, c.asked && !c.answer);
            EXPECT_EQ(fake.CommandCount(), c.sent ? 1 : 0);
            EXPECT_EQ(pins.IsPinned(kMac), c.pinnedAfter);
        }
    }
}
