// Configuring several devices without a window: the range's addresses and
// their faults, the preview's marks, plans that can't be used, and the apply
// job's reports, stop, counts and CSV.
#include "locator/core/batch_model.h"
#include "locator/core/batch_sources.h"
#include "locator/core/record_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#  include <sys/stat.h>
#  include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

using namespace kovr::locator;
using kovr::test::Address;
using kovr::test::FakeLibrary;
using kovr::test::Gate;
using kovr::test::kLabSubnets;
using kovr::test::MacOf;
using kovr::test::MakeRecord;
using kovr::test::SubnetDevices;
using kovr::test::TempPins;
using kovr::test::TestUi;

namespace {

std::vector<size_t> All(size_t count)
{
    std::vector<size_t> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

bool Yes(const Message &)
{
    return true;
}

std::string Status(const BatchModel &model, size_t index)
{
    return English(model.Preview()[index].status);
}

} // namespace

TEST(AddressRange, HandsOutFreeDeviceAddressesOrSaysWhatToChange)
{
    struct Case {
        const char *name;
        const char *first;
        const char *mask;
        std::vector<std::string> expected; // for devices 1, 3 and 4 of five
        std::string error;
    };
    // Device 2 holds .12 and device 5 .15; the gateway is 10.77.1.20.
    const Case cases[] = {
        {"others' addresses and the gateway skipped",
         "10.77.1.15",
         "255.255.255.0",
         {"10.77.1.16", "10.77.1.17", "10.77.1.18"},
         ""},
        {"a device keeps its own, not another's",
         "10.77.1.11",
         "255.255.255.0",
         {"10.77.1.11", "10.77.1.13", "10.77.1.14"},
         ""},
        {"past the gateway", "10.77.1.19", "255.255.255.0", {"10.77.1.19", "10.77.1.21", "10.77.1.22"}, ""},
        {"the subnet's own address is no device's",
         "10.77.1.0",
         "255.255.255.0",
         {},
         "10.77.1.0 is not a device address in 10.77.1.0/24; choose a first address between 10.77.1.1 and "
         "10.77.1.254."},
        {"a /30's own address is no device's",
         "10.77.1.20",
         "255.255.255.252",
         {},
         "10.77.1.20 is not a device address in 10.77.1.20/30; choose a first address between 10.77.1.21 and "
         "10.77.1.22."},
        {"too few free addresses after the first",
         "10.77.1.253",
         "255.255.255.0",
         {},
         "From 10.77.1.253 to the end of 10.77.1.0/24 only 2 addresses are free, and 3 devices need one"},
        {"a mask that isn't contiguous",
         "10.77.1.30",
         "255.0.255.0",
         {},
         "The subnet mask 255.0.255.0 is not contiguous"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<KOVRDeviceInfoRecord> list = SubnetDevices(5);
        list[1].ipAddress = Address("10.77.1.12");
        const AddressRange range{Address(c.first), Address(c.mask), Address("10.77.1.20")};
        const RangeAssignment assigned = AssignAddresses(range, list, {0, 2, 3});
        std::vector<std::string> addresses;
        for (uint32_t address : assigned.addresses) {
            addresses.push_back(FormatDottedAddress(address));
        }
        EXPECT_EQ(addresses, c.expected);
        const std::string error = assigned.error ? English(assigned.error->Text(range)) : "";
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
    }

    // A /30 from its first device address: .21 and .22, never .20 or .23.
    const AddressRange slash30{Address("10.77.2.21"), Address("255.255.255.252"), Address("10.77.2.1")};
    const RangeAssignment two = AssignAddresses(slash30, SubnetDevices(3), {0, 1});
    ASSERT_FALSE(two.error);
    EXPECT_EQ(two.addresses, (std::vector<uint32_t>{Address("10.77.2.21"), Address("10.77.2.22")}));
    EXPECT_EQ(AssignAddresses(slash30, SubnetDevices(3), {0, 1, 2}).error->fault, RangeFault::TooFewAddresses);

    // Two devices that share an address: the range gives it to neither.
    std::vector<KOVRDeviceInfoRecord> sharing = SubnetDevices(3);
    sharing[1].ipAddress = sharing[0].ipAddress; // both 10.77.1.11
    const RangeAssignment shared =
        AssignAddresses({Address("10.77.1.11"), Address("255.255.255.0"), Address("10.77.1.1")}, sharing, {0, 1});
    EXPECT_EQ(shared.addresses, (std::vector<uint32_t>{Address("10.77.1.12"), Address("10.77.1.14")}));
}

// What the preview marks keeps Apply off.
TEST(BatchModel, PreviewMarksWhatCheckWouldFind)
{
    struct Case {
        const char *name;
        const char *first;
        const char *gateway;
        std::string mark; // of the first device
        bool applies;
    };
    const Case cases[] = {
        {"a range inside the subnet", "10.77.1.100", "10.77.1.1", "ready", true},
        {"a range that leaves the interface's subnet", "10.77.2.100", "10.77.2.1",
         "10.77.2.100 is outside 10.77.1.0/24, the subnet of interface 10.77.1.1", false},
        {"a gateway outside the new subnet", "10.77.1.100", "10.77.9.1",
         "Gateway 10.77.9.1 is outside the device's subnet", false},
        {"too few addresses: no mark, a problem", "10.77.1.254", "10.77.1.1", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        TestUi ui;
        TempPins pins;
        BatchModel model(fake.Seam(), {SubnetDevices(3), kLabSubnets}, {0, 2}, pins.Pins(), ui.Post(), Yes);
        ChooseRange(model, AddressRange{Address(c.first), Address("255.255.255.0"), Address(c.gateway)});
        EXPECT_EQ(Status(model, 0).substr(0, c.mark.size()), c.mark);
        EXPECT_EQ(!model.Blocker(), c.applies);
        if (!c.applies) {
            EXPECT_FALSE(model.Apply(nullptr, {}));
            EXPECT_FALSE(model.Applying());
        }
    }

    // Devices going to DHCP give up their addresses: two that shared one
    // are no conflict then.
    std::vector<KOVRDeviceInfoRecord> sharing = SubnetDevices(2);
    sharing[1].ipAddress = sharing[0].ipAddress;
    FakeLibrary fake;
    TestUi ui;
    TempPins pins;
    BatchModel model(fake.Seam(), {sharing, kLabSubnets}, {0, 1}, pins.Pins(), ui.Post(), Yes);
    ChooseRange(model, std::nullopt);
    EXPECT_FALSE(model.Blocker());
    EXPECT_EQ(Status(model, 0), "ready");
    EXPECT_EQ(English(model.Preview()[1].change), "DHCP");
}

// File modes are POSIX; the Windows build judges a plan's privacy by its
// access list, which kovr's tests cover.
#ifndef _WIN32
TEST(BatchModel, PlansThatCantBeUsedAreRefusedWhole)
{
    struct Case {
        const char *name;
        std::string plan;
        mode_t mode;
        std::string fault; // the message's second line on; empty: the plan is used
    };
    const Case cases[] = {
        {"valid", "mac,dhcp\n02:00:00:00:00:02,on\n", 0600, ""},
        {"not valid, by line", "mac,ip,mask,gateway\n02:00:00:00:00:01,10.77.1.40,255.0.255.0,10.77.1.1\n", 0600,
         "line 2: mask '255.0.255.0' is not a subnet mask such as 255.255.255.0\n"},
        {"a device not in the list", "[{\"mac\": \"02:00:00:00:00:09\", \"dhcp\": true}]", 0600,
         "index 0: 02:00:00:00:00:09 is not in the list; search again, or take it out of the plan\n"},
        {"no device", "mac,dhcp\n", 0600, "it names no device\n"},
        {"passwords others may read", "mac,dhcp,password\n02:00:00:00:00:01,on,pw\n", 0644,
         "holds passwords but can be read by group or others; make it private (chmod 600) first\n"},
        {"too big", std::string(17 * 1024 * 1024, '#'), 0600, "the file is larger than 16 MiB\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        char path[] = "/tmp/kovr-plan-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, c.plan.data(), c.plan.size()), static_cast<ssize_t>(c.plan.size()));
        close(fd);
        chmod(path, c.mode);
        const ListPlan plan = LoadPlanForList(path, SubnetDevices(2));
        if (c.fault.empty()) {
            EXPECT_FALSE(plan.error);
            EXPECT_EQ(plan.positions, std::vector<size_t>{1});
        } else {
            ASSERT_TRUE(plan.error);
            const std::string text = English(*plan.error);
            EXPECT_EQ(text.substr(text.find('\n') + 1), c.fault);
            EXPECT_TRUE(plan.entries.empty());
        }
        std::remove(path);
    }
    const ListPlan missing = LoadPlanForList("/nonexistent/plan.csv", SubnetDevices(1));
    ASSERT_TRUE(missing.error);
    EXPECT_NE(English(*missing.error).find("cannot open '/nonexistent/plan.csv'"), std::string::npos);
}

#endif

TEST(BatchModel, ReportsEachDeviceCountsTheOutcomesAndSavesThemAsCsv)
{
    FakeLibrary fake;
    fake.devices = SubnetDevices(3);
    fake.commandResults[MacOf(2)] = 1;
    fake.errorNumber = 1;
    fake.errorMessage = "Authentication Failed";
    TestUi ui;
    TempPins pins;
    BatchModel model(fake.Seam(), {fake.devices, kLabSubnets}, All(3), pins.Pins(), ui.Post(), Yes);
    ChooseRange(model, AddressRange{Address("10.77.1.50"), Address("255.255.255.0"), Address("10.77.1.1")});
    auto password = std::make_unique<kovr::common::Password>();
    ASSERT_TRUE(password->Assign("secret", 6));
    std::vector<size_t> reported;
    bool ended = false;
    ASSERT_TRUE(model.Apply(
        std::move(password),
        {[&](size_t index, const kovr::common::DeviceReport &) { reported.push_back(index); }, [&] { ended = true; }}));
    EXPECT_TRUE(model.Applying());
    ASSERT_TRUE(ui.RunUntil([&] { return ended; }));
    EXPECT_FALSE(model.Applying());
    EXPECT_TRUE(model.Applied());
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, All(3));
    EXPECT_EQ(OutcomeCell(model.Reports()[1]), "failed: failed (result 1); error 1: Authentication Failed");
    EXPECT_EQ(model.Summary(), "2 verified, 0 unchanged, 0 unverified, 1 failed, 0 not found");
    EXPECT_EQ(fake.networkCalls.size(), 3u); // a refusal is never sent again
    for (const FakeLibrary::NetworkCall &call : fake.networkCalls) {
        EXPECT_EQ(call.password, "secret");
    }
    const std::string csv = model.OutcomesCsv();
    EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1)),
              "mac,name,outcome,before,after,detail\n"
              "02:00:00:00:00:01,cam-1,verified,ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.1,"
              "ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.1.1,");
}

// Stopped while devices are in hand: those finish, the rest are never sent
// anything, and so is a model torn down in the middle.
TEST(BatchModel, StopEndsTheRunBetweenDevices)
{
    for (const bool tearDown : {false, true}) {
        SCOPED_TRACE(tearDown ? "torn down" : "stopped");
        constexpr size_t kDevices = 40;
        FakeLibrary fake;
        fake.devices = SubnetDevices(kDevices);
        Gate gate;
        fake.onCommand = [&] { gate.Pass(); };
        TestUi ui;
        TempPins pins;
        auto model = std::make_unique<BatchModel>(fake.Seam(), BatchDevices{fake.devices, kLabSubnets}, All(kDevices),
                                                  pins.Pins(), ui.Post(), Yes);
        ChooseRange(*model, std::nullopt);
        bool ended = false;
        auto password = std::make_unique<kovr::common::Password>();
        ASSERT_TRUE(model->Apply(std::move(password),
                                 {[](size_t, const kovr::common::DeviceReport &) {}, [&] { ended = true; }}));
        ASSERT_TRUE(ui.RunUntil([&] { return gate.Reached(); }));
        if (tearDown) {
            std::thread opener([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                gate.Open();
            });
            model.reset();
            opener.join();
            EXPECT_LT(fake.dhcpCalls.size(), kDevices);
            continue;
        }
        model->Stop();
        gate.Open();
        ASSERT_TRUE(ui.RunUntil([&] { return ended; }));
        const size_t sent = fake.dhcpCalls.size();
        EXPECT_TRUE(sent >= 1 && sent < kDevices) << sent;
        const auto &reports = model->Reports();
        EXPECT_EQ(size_t(std::count_if(reports.begin(), reports.end(),
                                       [](const auto &r) { return r.outcome == kovr::common::Outcome::Cancelled; })),
                  kDevices - sent);
    }
}

// The run's passwords as kovr apply guards them: a pinned device that
// answers without its challenge fails with the sentence, the user is asked
// once before plain passwords, and a required challenge refuses them.
TEST(BatchModel, GuardsThePasswordsOfTheRun)
{
    struct Case {
        const char *name;
        bool impostorForDevice2; // pinned, and answered for without the challenge
        bool requireChallenge;
        bool answer;
        int questions;
        size_t sent;
        std::string summary;
        std::string device2; // the start of its outcome
    };
    const Case cases[] = {
        {"plain devices, the user agrees once", false, false, true, 1, 3,
         "3 verified, 0 unchanged, 0 unverified, 0 failed, 0 not found", "verified"},
        {"plain devices, the user cancels", false, false, false, 1, 0,
         "0 verified, 0 unchanged, 0 unverified, 3 failed, 0 not found",
         "failed: not sent: the device offers no challenge"},
        {"a challenge required", false, true, true, 0, 0,
         "0 verified, 0 unchanged, 0 unverified, 3 failed, 0 not found",
         "failed: 02:00:00:00:00:02 offers no challenge, so its password would cross the network segment in clear; "
         "a digest is required"},
        {"an impostor for a pinned device", true, false, true, 1, 2,
         "2 verified, 0 unchanged, 0 unverified, 1 failed, 0 not found",
         "failed: 02:00:00:00:00:02 offered a challenge before and now answers without one"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = SubnetDevices(3);
        TestUi ui;
        TempPins pins;
        if (c.impostorForDevice2) {
            pins.Pin(MacOf(2));
        }
        int questions = 0;
        BatchModel model(fake.Seam(), {fake.devices, kLabSubnets}, All(3), pins.Pins(), ui.Post(),
                         [&](const Message &) { return ++questions, c.answer; });
        model.SetRequireChallenge(c.requireChallenge);
        ChooseRange(model, std::nullopt);
        bool ended = false;
        ASSERT_TRUE(model.Apply(std::make_unique<kovr::common::Password>(),
                                {[](size_t, const kovr::common::DeviceReport &) {}, [&] { ended = true; }}));
        ASSERT_TRUE(ui.RunUntil([&] { return ended; }));
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(fake.dhcpCalls.size(), c.sent);
        EXPECT_EQ(model.Summary(), c.summary);
        EXPECT_EQ(OutcomeCell(model.Reports()[1]).substr(0, c.device2.size()), c.device2);
    }
}

// A model torn down while its question waits for the user lets its worker
// end, with nothing sent.
TEST(BatchModel, TornDownWhileAskingSendsNothing)
{
    FakeLibrary fake;
    fake.devices = SubnetDevices(2);
    TempPins pins;
    // The UI thread never gets to the question.
    std::mutex mutex;
    std::vector<std::function<void()>> posted;
    const PostToUi post = [&](std::function<void()> call) {
        const std::lock_guard<std::mutex> lock(mutex);
        posted.push_back(std::move(call));
    };
    auto model = std::make_unique<BatchModel>(fake.Seam(), BatchDevices{fake.devices, kLabSubnets}, All(2), pins.Pins(),
                                              post, Yes);
    ChooseRange(*model, std::nullopt);
    ASSERT_TRUE(model->Apply(std::make_unique<kovr::common::Password>(), {}));
    for (bool asked = false; !asked; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        const std::lock_guard<std::mutex> lock(mutex);
        asked = !posted.empty();
    }
    model.reset();
    EXPECT_EQ(fake.CommandCount(), 0);
}

// Only the selected rows are configured: with devices 2 and 4 of four
// selected, the range's addresses (or DHCP) go to them, in list order.
TEST(BatchModel, OnlyTheSelectedRowsAreSentAChange)
{
    const AddressRange range{Address("10.77.1.50"), Address("255.255.255.0"), Address("10.77.1.1")};
    for (const bool dhcp : {false, true}) {
        SCOPED_TRACE(dhcp ? "DHCP" : "a range");
        FakeLibrary fake;
        fake.devices = SubnetDevices(4);
        TestUi ui;
        TempPins pins;
        BatchModel model(fake.Seam(), {fake.devices, kLabSubnets}, {1, 3}, pins.Pins(), ui.Post(), Yes);
        ChooseRange(model, dhcp ? std::nullopt : std::optional<AddressRange>(range));
        bool ended = false;
        ASSERT_TRUE(model.Apply(std::make_unique<kovr::common::Password>(),
                                {[](size_t, const kovr::common::DeviceReport &) {}, [&] { ended = true; }}));
        ASSERT_TRUE(ui.RunUntil([&] { return ended; }));
        std::vector<std::string> sent;
        for (const FakeLibrary::NetworkCall &call : fake.networkCalls) {
            sent.push_back(FormatMacAddress(call.mac.data()) + " " + FormatDottedAddress(call.ip));
        }
        for (const FakeLibrary::DhcpCall &call : fake.dhcpCalls) {
            sent.push_back(FormatMacAddress(call.mac.data()) + " DHCP");
        }
        std::sort(sent.begin(), sent.end()); // devices run in parallel
        const std::vector<std::string> expected =
            dhcp ? std::vector<std::string>{"02:00:00:00:00:02 DHCP", "02:00:00:00:00:04 DHCP"}
                 : std::vector<std::string>{"02:00:00:00:00:02 10.77.1.50", "02:00:00:00:00:04 10.77.1.51"};
        EXPECT_EQ(sent, expected);
    }
}
