// The lab itself: each topology carries a request from the host side to the
// simulator and its reply back, and nothing outlives the lab.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/lab.h"

namespace kovr::test {
namespace {

// A DiscoveryRequest built by hand: "LORX", type 1, payload 28, the target,
// the version field and the locator's GUID field.
std::vector<uint8_t> DiscoveryRequest(uint8_t lastMacByte)
{
    std::vector<uint8_t> request = {'L', 'O', 'R', 'X', 0x00, 0x01, 0x00, 0x1c};
    const uint8_t target[6] = {0x02, 0x00, 0x00, 0x00, 0x00, lastMacByte};
    const uint8_t all[6] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    const uint8_t *mac = lastMacByte == 0xff ? all : target;
    request.insert(request.end(), mac, mac + 6);
    const uint8_t trailer[22] = {0x14, 0x02, 0x02, 0x00, 0x15, 0x10, 0x47, 0x24, 0x14, 0x1b, 0xae,
                                 0xb4, 0x4d, 0xba, 0xbe, 0x7f, 0xd4, 0xa1, 0x8a, 0xfa, 0x6e, 0xa5};
    request.insert(request.end(), trailer, trailer + sizeof trailer);
    return request;
}

// The MAC in a reply's first field, which the simulator always writes first.
std::string ReplyMac(const std::vector<uint8_t> &reply)
{
    if (reply.size() < 16 || reply[8] != 1 || reply[9] != 6) {
        return "malformed";
    }
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", reply[10], reply[11], reply[12], reply[13],
                  reply[14], reply[15]);
    return text;
}

std::vector<std::string> MacsAnswering(HostSocket &socket, uint8_t target)
{
    socket.SendToGroup(DiscoveryRequest(target));
    // A generous wait for the first reply, a short one for the rest.
    std::vector<std::vector<uint8_t>> replies;
    if (std::optional<std::vector<uint8_t>> first = socket.Receive(std::chrono::seconds(2))) {
        replies = socket.ReceiveUntilQuiet(std::chrono::milliseconds(300), std::chrono::seconds(5));
        replies.insert(replies.begin(), *first);
    }
    std::vector<std::string> macs;
    for (const auto &reply : replies) {
        EXPECT_EQ(std::string(reply.begin(), reply.begin() + 4), "LORX");
        EXPECT_EQ(reply[5], 2);
        macs.push_back(ReplyMac(reply));
    }
    std::sort(macs.begin(), macs.end());
    return macs;
}

TEST(Netlab, TestsRunOutsideTheDefaultNamespace)
{
    EXPECT_TRUE(InPrivateNamespace());
}

TEST(Netlab, SingleLinkCarriesARequestAndItsReply)
{
    Lab lab(Topology::Single);
    ASSERT_EQ(lab.HostAddresses(), std::vector<std::string>{"10.77.1.1"});
    ASSERT_EQ(lab.DeviceInterfaces(), std::vector<std::string>{"d1"});
    Simulator sim(lab, Devices({DeviceJson(1), DeviceJson(2)}));
    HostSocket socket("10.77.1.1");
    EXPECT_EQ(MacsAnswering(socket, 0xff), (std::vector<std::string>{"02:00:00:00:00:01", "02:00:00:00:00:02"}));
    EXPECT_EQ(MacsAnswering(socket, 2), std::vector<std::string>{"02:00:00:00:00:02"});
    const std::vector<nlohmann::json> log = sim.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front()["direction"], "in");
    EXPECT_EQ(log.front()["peer"], "10.77.1.1:" + std::to_string(socket.port()));
}

TEST(Netlab, DualLinksReachTheirOwnDevicesOnly)
{
    Lab lab(Topology::Dual);
    ASSERT_EQ(lab.HostAddresses(), (std::vector<std::string>{"10.77.1.1", "10.77.2.1"}));
    nlohmann::json first = DeviceJson(1);
    first["interfaces"] = {"d1"};
    nlohmann::json second = DeviceJson(2);
    second["interfaces"] = {"d2"};
    nlohmann::json both = DeviceJson(3);
    both["interfaces"] = {"d1", "d2"};
    Simulator sim(lab, Devices({first, second, both}));
    HostSocket one("10.77.1.1");
    HostSocket two("10.77.2.1");
    EXPECT_EQ(MacsAnswering(one, 0xff), (std::vector<std::string>{"02:00:00:00:00:01", "02:00:00:00:00:03"}));
    EXPECT_EQ(MacsAnswering(two, 0xff), (std::vector<std::string>{"02:00:00:00:00:02", "02:00:00:00:00:03"}));
    EXPECT_TRUE(MacsAnswering(one, 2).empty());
}

TEST(Netlab, LoopbackCarriesARequestAndItsReply)
{
    Lab lab(Topology::Loopback);
    EXPECT_TRUE(lab.DeviceNamespace().empty());
    Simulator sim(lab, Devices({DeviceJson(7)}));
    HostSocket socket("127.0.0.1");
    EXPECT_EQ(MacsAnswering(socket, 0xff), std::vector<std::string>{"02:00:00:00:00:07"});
}

TEST(Netlab, TearDownRemovesTheDeviceNamespace)
{
    std::string path;
    {
        Lab lab(Topology::Dual);
        path = "/run/netns/" + lab.DeviceNamespace();
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
    }
    struct stat st {};
    EXPECT_NE(stat(path.c_str(), &st), 0);
    // The host ends went with it, so a new lab can take the same names.
    Lab again(Topology::Single);
}

TEST(Netlab, SimulatorThatCannotStartIsReportedAndLeavesNoFilesBehind)
{
    Lab lab(Topology::Single);
    nlohmann::json broken = DeviceJson(1);
    broken["mac"] = "not a mac, test " + std::to_string(getpid());
    EXPECT_THROW(Simulator(lab, Devices({broken})), std::runtime_error);
    // Other tests may start simulators meanwhile: look for this device file only.
    for (const auto &entry : std::filesystem::directory_iterator("/tmp")) {
        if (entry.path().filename().string().rfind("kovr-sim-", 0) != 0) {
            continue;
        }
        std::ifstream config(entry.path() / "config.json");
        const std::string text((std::istreambuf_iterator<char>(config)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find(broken["mac"].get<std::string>()), std::string::npos) << entry.path();
    }
}

} // namespace
} // namespace kovr::test
