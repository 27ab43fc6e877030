// The replies to a password-protected command, through the whole command
// path: a device stand-in on loopback answers the challenge query and then
// the command with the input's datagrams, each stage ending with a reply
// that the library accepts, so that every run ends without a time-out.
// Whatever the replies hold, the command must end with a result in range,
// a terminated error text, and nothing left open.
//
// Input: a mode byte (bits 0-1: reboot, set network, set DHCP; bit 2: the
// closing challenge reply asks for a digest), the number of datagrams that
// answer the challenge query, then datagrams as fuzz_support.h splits them;
// the rest answer the command.
#include <arpa/inet.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>

#include "discovery/reply_writer.h"
#include "discovery/session.h"
#include "tests/discovery/loopback_device.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/guids.h"
#include "tests/support/process_resources.h"

namespace {

using kovr::test::Datagram;
using kovr::test::kLocatorGuid;
using kovr::test::Require;

// More replies per stage than this are left out, so that the socket never
// overflows and every stage still ends with its accepted reply.
constexpr size_t kMaxRepliesPerStage = 16;
constexpr uint8_t kTarget[kovr::kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
constexpr uint8_t kChallenge[kovr::kNonceSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};

// The replies for the run under way, by the request they answer.
struct Script {
    std::vector<Datagram> query;
    std::vector<Datagram> command;
};

// Answers each request with the script's replies for its type. Lives for
// the whole process.
class Device {
public:
    void Play(Script script)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        script_ = std::move(script);
    }

private:
    std::vector<Datagram> Answer(const Datagram &request)
    {
        if (request.size() < kovr::kHeaderSize) {
            return {};
        }
        const uint16_t type = static_cast<uint16_t>(request[4] << 8 | request[5]);
        std::lock_guard<std::mutex> lock(mutex_);
        return type == kovr::kDiscoveryRequest ? script_.query : script_.command;
    }

    std::mutex mutex_;
    Script script_;
    kovr::test::LoopbackDevice device_{
        [this](const Datagram &request, const sockaddr_in &) { return Answer(request); }};
};

Device *g_device;
std::shared_ptr<kovr::DiscoverySession> g_session;

kovr::CommandArguments ArgumentsFor(uint8_t mode)
{
    kovr::CommandArguments arguments{};
    static constexpr uint16_t kTypes[] = {kovr::kRebootRequest, kovr::kSetNetworkRequest, kovr::kSetDhcpRequest,
                                          kovr::kRebootRequest};
    arguments.requestType = kTypes[mode & 3];
    arguments.ipAddress = inet_addr("10.77.1.20");
    arguments.subnetMask = inet_addr("255.255.255.0");
    arguments.gatewayAddress = inet_addr("10.77.1.254");
    arguments.dhcpMode = 1;
    return arguments;
}

Script ScriptFor(const uint8_t *data, size_t size)
{
    const uint8_t mode = data[0];
    const size_t queryReplies = data[1];
    std::vector<Datagram> datagrams = kovr::test::SplitDatagrams(data + 2, size - 2);
    Script script;
    for (size_t i = 0; i < datagrams.size(); ++i) {
        std::vector<Datagram> &stage = i < queryReplies ? script.query : script.command;
        if (stage.size() < kMaxRepliesPerStage) {
            stage.push_back(std::move(datagrams[i]));
        }
    }
    kovr::ReplyWriter challenge(KOVR_MAGIC_LORX, kovr::kDiscoveryReply);
    challenge.Field(kovr::kTagMacAddress, kTarget, sizeof kTarget);
    if ((mode & 4) != 0) {
        challenge.Field(kovr::kTagAuthNonce, kChallenge, sizeof kChallenge);
    }
    script.query.push_back(challenge.Finish());
    const uint16_t replyType = static_cast<uint16_t>(ArgumentsFor(mode).requestType + 1);
    script.command.push_back(kovr::ReplyWriter(KOVR_MAGIC_LORX, replyType)
                                 .Field(kovr::kTagMacAddress, kTarget, sizeof kTarget)
                                 .Uint(kovr::kTagResultCode, 0, 1)
                                 .Finish());
    return script;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    kovr::test::RequirePrivateNetwork();
    g_device = new Device;
    g_session = kovr::DiscoverySession::Create(KOVR_MAGIC_LORX, kLocatorGuid);
    Require(g_session != nullptr);
    // The closing replies come at once; these limits only bound a lost one.
    g_session->limits.queryTimeout = std::chrono::milliseconds(2000);
    g_session->limits.commandTimeout = std::chrono::milliseconds(2000);
    g_session->transport.pollInterval = std::chrono::milliseconds(10);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const int descriptors = kovr::test::OpenDescriptorCount();
    g_device->Play(ScriptFor(data, size));
    // No device can send a negative error number, so this marks the state
    // that the command must replace.
    g_session->errors.Record(-77, "before");
    const int32_t result = kovr::RunDeviceCommand(g_session->Device(), kTarget, "secret", ArgumentsFor(data[0]));

    // Every stage ends with an accepted reply, so no run may time out.
    Require(result >= -1 && result <= 255);
    char message[kovr::kErrorMessageSize + 1];
    std::memset(message, 'x', sizeof message);
    g_session->errors.CopyMessage(message, sizeof message);
    Require(std::memchr(message, '\0', kovr::kErrorMessageSize) != nullptr);
    // The device's own number and text replace the state on every reply,
    // and a local failure always says why.
    const int32_t error = g_session->errors.Number();
    Require(error != -77);
    Require(result != -1 || error == -1);
    Require(kovr::test::OpenDescriptorCount() == descriptors);
    return 0;
}
