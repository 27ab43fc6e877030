// A host with more local addresses than one wait can watch: the request
// leaves through every one of them, and the devices are still found. The
// lab gives its host interface the extra addresses, and the simulator logs
// every datagram it gets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "discovery/platform/net.h"
#include "discovery/transport.h"
#include "kovr/kovr.h"
#include "tests/support/guids.h"

namespace kovr {
namespace {

// The source addresses of the datagrams the devices received, from the
// simulator's log, a Linux file that Wine shows on drive Z:.
std::set<std::string> RequestSources(const std::string &logPath)
{
    std::set<std::string> sources;
    std::ifstream log("Z:" + logPath);
    const std::string incoming = "\"direction\":\"in\"";
    const std::string peer = "\"peer\":\"";
    for (std::string line; std::getline(log, line);) {
        const size_t at = line.find(peer);
        if (line.find(incoming) != std::string::npos && at != std::string::npos) {
            const size_t start = at + peer.size();
            sources.insert(line.substr(start, line.find(':', start) - start));
        }
    }
    return sources;
}

TEST(ManyAddresses, TheRequestLeavesThroughEveryAddressAndTheDevicesAreFound)
{
    const char *count = std::getenv("KOVR_LAB_HOST_ADDRESS_COUNT");
    const char *log = std::getenv("KOVR_LAB_SIM_OUTPUT");
    ASSERT_TRUE(count != nullptr && log != nullptr) << "runs in a lab with devices";
    const size_t expected = std::strtoul(count, nullptr, 10);
    ASSERT_GT(expected, platform::kMaxWaitSockets) << "the lab must give more addresses than one wait watches";

    std::vector<uint32_t> addresses;
    ASSERT_EQ(EnumerateLocalAddresses(&addresses), platform::kNoError);
    EXPECT_EQ(addresses.size(), expected);

    KOVR_HANDLE handle = KOVROpenByGuid(&test::kLocatorGuid);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle, 1000, 20000), 3);
    KOVRClose(handle);
    EXPECT_EQ(RequestSources(log).size(), expected);
}

} // namespace
} // namespace kovr
