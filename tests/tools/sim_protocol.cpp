#include "tests/tools/sim_protocol.h"

#include <arpa/inet.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "discovery/md5.h"

namespace kovr::test {
namespace {

void Put16(Bytes &out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void Put32(Bytes &out, uint32_t value)
{
    Put16(out, static_cast<uint16_t>(value >> 16));
    Put16(out, static_cast<uint16_t>(value));
}

Bytes Header(uint32_t magic, uint16_t type)
{
    Bytes out;
    Put32(out, magic);
    Put16(out, type);
    Put16(out, 0);
    return out;
}

void FinishLength(Bytes &datagram)
{
    const size_t payload = datagram.size() - 8;
    datagram[6] = static_cast<uint8_t>(payload >> 8);
    datagram[7] = static_cast<uint8_t>(payload);
}

void PutAddress(Bytes &out, const std::string &text)
{
    in_addr address{};
    inet_pton(AF_INET, text.c_str(), &address);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&address.s_addr);
    out.insert(out.end(), bytes, bytes + 4);
}

// The version field and the locator's GUID field.
const Bytes kTrailer = {0x14, 0x02, 0x02, 0x00, 0x15, 0x10, 0x47, 0x24, 0x14, 0x1b, 0xae,
                        0xb4, 0x4d, 0xba, 0xbe, 0x7f, 0xd4, 0xa1, 0x8a, 0xfa, 0x6e, 0xa5};

} // namespace

Bytes Mac(int index)
{
    return {0x02, 0x00, 0x00, 0x00, static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)};
}

Bytes AllDevices()
{
    return Bytes(6, 0xff);
}

Bytes DiscoveryRequest(uint32_t magic, const Bytes &target)
{
    Bytes out = Header(magic, 1);
    out.insert(out.end(), target.begin(), target.end());
    out.insert(out.end(), kTrailer.begin(), kTrailer.end());
    FinishLength(out);
    return out;
}

Bytes RebootFields(const Bytes &mac)
{
    return mac;
}

Bytes SetNetworkFields(const std::string &ip, const std::string &mask, const std::string &gateway, const Bytes &mac)
{
    Bytes out;
    PutAddress(out, ip);
    PutAddress(out, mask);
    PutAddress(out, gateway);
    out.insert(out.end(), mac.begin(), mac.end());
    return out;
}

Bytes SetDhcpFields(uint8_t mode, const Bytes &mac)
{
    Bytes out = {mode};
    out.insert(out.end(), mac.begin(), mac.end());
    return out;
}

Bytes PlainCommand(uint32_t magic, uint16_t type, const Bytes &fixed, const std::string &password)
{
    Bytes out = Header(magic, type);
    out.insert(out.end(), fixed.begin(), fixed.end());
    out.push_back(static_cast<uint8_t>(password.size()));
    out.insert(out.end(), password.begin(), password.end());
    FinishLength(out);
    return out;
}

Bytes DigestCommand(uint32_t magic, uint16_t type, const Bytes &fixed, const Bytes &challenge,
                    const std::string &password)
{
    Bytes out = Header(magic, type);
    out.insert(out.end(), fixed.begin(), fixed.end());
    out.push_back(16);
    Md5 md5;
    md5.Update(challenge.data(), challenge.size());
    md5.Update(password.data(), password.size());
    md5.Update(out.data() + 4, 2);
    md5.Update(out.data() + 8, out.size() - 8);
    uint8_t digest[16];
    md5.Final(digest);
    out.insert(out.end(), digest, digest + 16);
    out.insert(out.end(), kTrailer.begin(), kTrailer.end());
    FinishLength(out);
    return out;
}

std::string Reply::Text(uint8_t tag) const
{
    const auto found = fields.find(tag);
    return found == fields.end() ? std::string() : std::string(found->second.begin(), found->second.end());
}

std::string Reply::Address(uint8_t tag) const
{
    const auto found = fields.find(tag);
    if (found == fields.end() || found->second.size() != 4) {
        return "";
    }
    char text[16];
    const Bytes &b = found->second;
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

uint32_t Reply::Number(uint8_t tag) const
{
    uint32_t value = 0;
    const auto found = fields.find(tag);
    if (found != fields.end()) {
        for (uint8_t byte : found->second) {
            value = value << 8 | byte;
        }
    }
    return value;
}

Reply Parse(const Bytes &datagram)
{
    Reply reply;
    reply.size = datagram.size();
    if (datagram.size() < 8) {
        return reply;
    }
    reply.magic = static_cast<uint32_t>(datagram[0]) << 24 | datagram[1] << 16 | datagram[2] << 8 | datagram[3];
    reply.type = static_cast<uint16_t>(datagram[4] << 8 | datagram[5]);
    reply.payloadLength = static_cast<uint16_t>(datagram[6] << 8 | datagram[7]);
    size_t at = 8;
    while (at + 2 <= datagram.size()) {
        const uint8_t tag = datagram[at];
        const size_t length = datagram[at + 1];
        reply.tagLengths.emplace_back(tag, length);
        if (at + 2 + length > datagram.size()) {
            break;
        }
        reply.fields[tag] =
            Bytes(datagram.begin() + static_cast<long>(at + 2), datagram.begin() + static_cast<long>(at + 2 + length));
        at += 2 + length;
    }
    return reply;
}

std::unique_ptr<Lab> SimTest::lab_;

void SimTest::SetUpTestSuite()
{
    lab_ = std::make_unique<Lab>(Topology::Single);
}

void SimTest::TearDownTestSuite()
{
    lab_.reset();
}

void SimTest::TearDown()
{
    if (sim_) {
        const int status = sim_->Stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "kovr-sim ended with status " << status;
    }
}

void SimTest::Start(const nlohmann::json &config, std::vector<std::string> args)
{
    socket_.reset();
    if (sim_) {
        TearDown();
    }
    sim_ = std::make_unique<Simulator>(*lab_, config, std::move(args));
    socket_ = std::make_unique<HostSocket>(lab_->HostAddresses().front());
}

std::vector<Bytes> SimTest::ExchangeDatagrams(const Bytes &request)
{
    const size_t logged = sim_->Log().size();
    socket_->SendToGroup(request);
    // Waiting for the simulator to log the request, rather than for a fixed
    // time, keeps a slow or busy machine from passing off a late reply as none.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const std::vector<nlohmann::json> log = sim_->Log();
        const bool seen = std::any_of(log.begin() + static_cast<long>(std::min(logged, log.size())), log.end(),
                                      [](const nlohmann::json &entry) { return entry["direction"] == "in"; });
        if (seen) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "kovr-sim never logged the request";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return socket_->ReceiveUntilQuiet(std::chrono::milliseconds(300), std::chrono::seconds(10));
}

std::vector<Reply> SimTest::Exchange(const Bytes &request)
{
    std::vector<Reply> replies;
    for (const Bytes &datagram : ExchangeDatagrams(request)) {
        replies.push_back(Parse(datagram));
    }
    return replies;
}

Reply SimTest::ExchangeOne(const Bytes &request)
{
    std::vector<Reply> replies = Exchange(request);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? Reply{} : replies.front();
}

Bytes SimTest::ChallengeOf(int index)
{
    const Reply reply = ExchangeOne(DiscoveryRequest(kLorx, Mac(index)));
    EXPECT_TRUE(reply.Has(23));
    return reply.fields.count(23) ? reply.fields.at(23) : Bytes(14, 0);
}

} // namespace kovr::test
