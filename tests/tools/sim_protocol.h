// Requests built by hand and replies taken apart by hand, for the tests of
// kovr-sim: they check the simulator against the byte layouts themselves
// rather than against the library's encoder and decoder.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/lab.h"

namespace kovr::test {

constexpr uint32_t kLorx = 0x4C4F5258;
constexpr uint32_t kQuma = 0x51554D41;

// The MAC that DeviceJson(index) gives a device.
Bytes Mac(int index);
Bytes AllDevices();

Bytes DiscoveryRequest(uint32_t magic, const Bytes &target);
Bytes RebootFields(const Bytes &mac);
Bytes SetNetworkFields(const std::string &ip, const std::string &mask, const std::string &gateway, const Bytes &mac);
Bytes SetDhcpFields(uint8_t mode, const Bytes &mac);
// The password in clear after authLength; no trailer.
Bytes PlainCommand(uint32_t magic, uint16_t type, const Bytes &fixed, const std::string &password);
// authLength 16, the MD5 over challenge, password, type bytes and the fixed
// fields up to and including authLength, then the version and GUID fields.
Bytes DigestCommand(uint32_t magic, uint16_t type, const Bytes &fixed, const Bytes &challenge,
                    const std::string &password);

struct Reply {
    uint32_t magic = 0;
    uint16_t type = 0;
    uint16_t payloadLength = 0;
    size_t size = 0;
    // The last value of each tag; fields that run past the datagram are left out.
    std::map<uint8_t, Bytes> fields;
    std::vector<std::pair<uint8_t, size_t>> tagLengths;

    bool Has(uint8_t tag) const { return fields.count(tag) != 0; }
    std::string Text(uint8_t tag) const;
    std::string Address(uint8_t tag) const;
    uint32_t Number(uint8_t tag) const;
};
Reply Parse(const Bytes &datagram);

// One Single lab for a whole test suite, and a host socket on its link.
class SimTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // The simulator must have survived the test and exit cleanly.
    void TearDown() override;

    void Start(const nlohmann::json &config, std::vector<std::string> args = {});
    // Sends the request, waits until the simulator has logged it, and collects
    // the replies until 300 ms pass without one.
    std::vector<Bytes> ExchangeDatagrams(const Bytes &request);
    std::vector<Reply> Exchange(const Bytes &request);
    Reply ExchangeOne(const Bytes &request);
    Bytes ChallengeOf(int index);

    static std::unique_ptr<Lab> lab_;
    std::unique_ptr<Simulator> sim_;
    std::unique_ptr<HostSocket> socket_;
};

} // namespace kovr::test
