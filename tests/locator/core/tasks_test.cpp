// The search, IP settings and reboot tasks without a window: what reaches
// the face's thread, and when.
#include "locator/core/ip_settings_task.h"
#include "locator/core/reboot_task.h"
#include "locator/core/search_job.h"
#include "locator/core/workers.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace kovr::locator;
using kovr::test::Address;
using kovr::test::FakeLibrary;
using kovr::test::Gate;
using kovr::test::MakeRecord;
using kovr::test::TestUi;

namespace {

const FakeLibrary::Mac kMac = {2, 0, 0, 0, 0, 1};

std::unique_ptr<kovr::common::Password> Secret()
{
    auto password = std::make_unique<kovr::common::Password>();
    password->Assign("secret", 6);
    return password;
}

} // namespace

TEST(SearchJob, HandsWhatItFoundToTheUiThreadOrDropsItWhenCancelled)
{
    FakeLibrary fake;
    fake.devices = {MakeRecord(kMac, "10.77.1.5")};
    TestUi ui;
    const KOVR_HANDLE session = fake.Seam().OpenByGuid(&kLocatorSessionGuid);
    SearchJob job(fake.Seam(), ui.Post());
    std::optional<size_t> found;
    ASSERT_TRUE(job.Start(session, [&](const SearchJob::Found &devices) { found = devices.size(); }));
    EXPECT_FALSE(job.Start(session, [](const SearchJob::Found &) {}));
    ASSERT_TRUE(ui.RunUntil([&] { return found.has_value(); }));
    EXPECT_EQ(*found, 1u);
    EXPECT_FALSE(job.Running());

    Gate gate;
    fake.onSearch = [&] { gate.Pass(); };
    found.reset();
    ASSERT_TRUE(job.Start(session, [&](const SearchJob::Found &devices) { found = devices.size(); }));
    ASSERT_TRUE(ui.RunUntil([&] { return gate.Reached(); }));
    job.Cancel();
    gate.Open();
    EXPECT_FALSE(ui.RunUntil([&] { return found.has_value(); }, std::chrono::seconds(1)));
    fake.Seam().Close(session);
    ApplicationWorkers().JoinAll();
}

// A lost reply is checked with a query: a change the device holds is done,
// one it doesn't is sent again; a refusal is final and tells why.
TEST(IpSettingsTask, VerifiesALostReplyAndSendsAgain)
{
    struct Case {
        const char *name;
        int32_t firstResult;
        bool deviceTakesTheFirst;
        bool openFails;
        size_t commands;
        std::string error;
    };
    const Case cases[] = {
        {"acknowledged", 0, true, false, 1, ""},
        {"the reply lost, the change made", -2, true, false, 1, ""},
        {"the request lost", -2, false, false, 2, ""},
        {"refused", 1, false, false, 1, "An Error occurred.\nError Number: 1\nError Message: Authentication Failed\n"},
        {"no session", 0, false, true, 1, "An Error occurred.\nError Number: -1\nError Message: \n"},
    };
    const kovr::common::DeviceSettings wanted{false, Address("10.77.1.50"), Address("255.255.255.0"),
                                              Address("10.77.1.1")};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac, "10.77.1.5")};
        fake.openFails = c.openFails;
        fake.commandResult = c.firstResult;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        fake.onCommand = [&] {
            if (fake.networkCalls.size() == 1 && c.deviceTakesTheFirst) {
                fake.devices[0].ipAddress = wanted.ip;
                fake.devices[0].subnetMask = wanted.mask;
                fake.devices[0].gatewayAddress = wanted.gateway;
            }
            if (fake.networkCalls.size() == 2) {
                fake.commandResult = 0;
            }
        };
        TestUi ui;
        IpSettingsTask task(fake.Seam(), fake.devices[0], ui.Post());
        std::optional<IpSettingsTask::Outcome> outcome;
        ASSERT_TRUE(task.Apply(wanted, Secret(), [&](const IpSettingsTask::Outcome &o) { outcome = o; }));
        EXPECT_TRUE(task.Running());
        ASSERT_TRUE(ui.RunUntil([&] { return outcome.has_value(); }));
        EXPECT_FALSE(task.Running());
        EXPECT_EQ(fake.networkCalls.size(), c.commands);
        EXPECT_EQ(outcome->error ? English(*outcome->error) : "", c.error);
        EXPECT_EQ(outcome->result == 0, c.error.empty());
        EXPECT_EQ(fake.closed.size(), 1u);
        ApplicationWorkers().JoinAll();
    }
}

TEST(IpSettingsTask, OpensInTheModeTheDeviceReports)
{
    FakeLibrary fake;
    KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.77.1.5");
    TestUi ui;
    record.dhcpMode = KOVR_DHCP_ENABLED;
    record.presentFields |= KOVR_FIELD_DHCP_MODE;
    EXPECT_TRUE(IpSettingsTask(fake.Seam(), record, ui.Post()).OpensInDhcpMode());
    record.dhcpMode = KOVR_DHCP_DISABLED;
    EXPECT_FALSE(IpSettingsTask(fake.Seam(), record, ui.Post()).OpensInDhcpMode());
}

TEST(RebootTask, RebootsThenWaitsForTheDevice)
{
    struct Case {
        const char *name;
        int32_t result;
        int answersAtPoll; // 0: never
        std::string told;
        int polls;
    };
    const Case cases[] = {
        {"ready at once", 0, 1, "Status: Rebooting|Status: Ready", 1},
        {"ready at the fortieth further poll", 0, 41, "Status: Rebooting|Status: Ready", 41},
        {"timed out", 0, 0, "Status: Rebooting|Status: Timed out", 41},
        {"refused", 1, 1,
         "An Error occured while rebooting the device.\nError Number: 1\nError Message: Authentication Failed\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac, "10.77.1.5")};
        fake.commandResult = c.result;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        fake.deviceAnswers = [&](int poll) { return poll == c.answersAtPoll; };
        TestUi ui;
        RebootTask task(fake.Seam(), fake.devices[0], ui.Post());
        task.SetPause([](std::chrono::milliseconds) {});
        std::string told;
        bool ended = false;
        RebootTask::Listener listener{[&](const Message &error) {
                                          told = English(error);
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
