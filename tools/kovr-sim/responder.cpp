#include "tools/kovr-sim/responder.h"

#include <cstring>

#include "discovery/auth_digest.h"
#include "discovery/reply_writer.h"
#include "tools/kovr-sim/device_config.h"

namespace kovr::sim {
namespace {

// A device answers a datagram with one of its magics, on an interface that
// reaches it, unless it is restarting.
bool WouldAnswer(const Device &device, uint32_t magic, const Arrival &arrival)
{
    return device.AnswersMagic(magic) && device.ReachableOn(arrival.ifindex) && !device.Silent(arrival.now);
}

bool SameBytes(const uint8_t *a, const uint8_t *b, size_t length)
{
    // Constant time, as a device that compares secrets should.
    uint8_t difference = 0;
    for (size_t i = 0; i < length; ++i) {
        difference |= a[i] ^ b[i];
    }
    return difference == 0;
}

// An address as it stands in the request, in network order.
uint32_t ReadAddress(ByteReader &reader)
{
    const uint8_t *bytes = nullptr;
    uint32_t address = 0;
    if (reader.GetBytes(&bytes, sizeof address)) {
        std::memcpy(&address, bytes, sizeof address);
    }
    return address;
}

ReplyWriter &Bytes(ReplyWriter &writer, uint8_t tag, const std::string &text)
{
    return writer.Field(tag, text.data(), text.size());
}

} // namespace

Responder::Responder(std::vector<Device> devices, Misbehaviour misbehaviour, FailureReply failure,
                     std::chrono::milliseconds replyWindow, uint64_t seed)
    : devices_(std::move(devices)), misbehaviour_(misbehaviour), failure_(std::move(failure)),
      replyWindow_(replyWindow), random_(seed)
{
    byMac_.reserve(devices_.size());
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (!byMac_.emplace(MacKey(devices_[i].mac), static_cast<int>(i)).second) {
            throw ConfigError("two devices have the MAC " + FormatMac(devices_[i].mac));
        }
    }
}

Handled Responder::Handle(const uint8_t *data, size_t length, const Arrival &arrival, std::vector<Outgoing> *out)
{
    ByteReader reader(data, length);
    uint32_t magic = 0;
    uint16_t type = 0;
    uint16_t payloadLength = 0;
    if (!reader.GetBig32(&magic) || !reader.GetBig16(&type) || !reader.GetBig16(&payloadLength)) {
        return {-1, "ignored: shorter than a header"};
    }
    if (misbehaviour_.dropFraction > 0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(random_) < misbehaviour_.dropFraction) {
        return {-1, "dropped"};
    }
    if (misbehaviour_.ignoreRequests.Contains(++requestsReceived_)) {
        return {-1, "ignored: request " + std::to_string(requestsReceived_) + " is lost"};
    }
    // A payload longer than what arrived can't be trusted; extra bytes
    // beyond the declared payload are ignored.
    const uint8_t *payload = nullptr;
    if (!reader.GetBytes(&payload, payloadLength)) {
        return {-1, "ignored: payload length exceeds the datagram"};
    }
    ByteReader fields(payload, payloadLength);
    if (type == kDiscoveryRequest) {
        return HandleDiscovery(fields, magic, arrival, out);
    }
    if (const RequestLayout *layout = FindRequestLayout(type)) {
        return HandleCommand(fields, magic, *layout, arrival, out);
    }
    return {-1, "ignored: not a request"};
}

Device *Responder::AddressedDevice(const uint8_t *target, uint32_t magic, const Arrival &arrival, Handled *why)
{
    const auto found = byMac_.find(MacKey(target));
    if (found == byMac_.end()) {
        *why = {-1, "ignored: unknown MAC"};
        return nullptr;
    }
    *why = {found->second, "ignored: not answering"};
    Device &device = devices_[found->second];
    return WouldAnswer(device, magic, arrival) ? &device : nullptr;
}

Handled Responder::HandleDiscovery(ByteReader &fields, uint32_t magic, const Arrival &arrival,
                                   std::vector<Outgoing> *out)
{
    const uint8_t *target = nullptr;
    if (!fields.GetBytes(&target, kMacSize)) {
        return {-1, "ignored: no target MAC"};
    }
    if (!IsAllDevices(target)) {
        Handled handled;
        Device *device = AddressedDevice(target, magic, arrival, &handled);
        if (device == nullptr) {
            return handled;
        }
        const bool withChallenge = device->auth == AuthMode::Digest;
        Queue(DiscoveryReply(*device, magic, withChallenge), ReplyTime(*device, arrival.now), arrival, handled.device,
              out);
        handled.note = "discovery";
        return handled;
    }

    std::vector<int> answering;
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (WouldAnswer(devices_[i], magic, arrival)) {
            answering.push_back(static_cast<int>(i));
        }
    }
    // Spread the answers evenly over the reply window, on top of each
    // device's own delay, so that a large simulated network doesn't answer
    // in one burst.
    const auto window = std::chrono::duration_cast<Clock::duration>(replyWindow_);
    for (size_t k = 0; k < answering.size(); ++k) {
        Device &device = devices_[answering[k]];
        const Clock::time_point base =
            arrival.now + window * static_cast<int64_t>(k) / static_cast<int64_t>(answering.size());
        Queue(DiscoveryReply(device, magic, false), ReplyTime(device, base), arrival, answering[k], out);
    }
    return {-1, "all-devices"};
}

Handled Responder::HandleCommand(ByteReader &fields, uint32_t magic, const RequestLayout &layout,
                                 const Arrival &arrival, std::vector<Outgoing> *out)
{
    Command command{layout};
    if (!fields.GetBytes(&command.fixed, layout.fixedLength) || !fields.Get8(&command.authLength) ||
        !fields.GetBytes(&command.auth, command.authLength)) {
        return {-1, "ignored: command shorter than its fields"};
    }
    Handled handled;
    Device *addressed = AddressedDevice(command.fixed + layout.macOffset, magic, arrival, &handled);
    if (addressed == nullptr) {
        return handled;
    }
    Device &device = *addressed;
    const int index = handled.device;
    if (misbehaviour_.ignoreCommands) {
        return {index, "ignored: commands switched off"};
    }
    const bool accepted = Verify(device, command);
    const Clock::time_point due = ReplyTime(device, arrival.now);
    Queue(CommandReply(device, magic, layout.type, accepted), due, arrival, index, out);
    if (!accepted) {
        return {index, "rejected"};
    }
    Apply(device, command, due);
    return {index, "accepted"};
}

void Responder::Apply(Device &device, const Command &command, Clock::time_point replyDue)
{
    ByteReader fixed(command.fixed, command.layout.fixedLength);
    switch (command.layout.type) {
    case kSetNetworkRequest:
        device.ip = ReadAddress(fixed);
        device.mask = ReadAddress(fixed);
        device.gateway = ReadAddress(fixed);
        // A static address takes the device off DHCP.
        device.dhcp = 0;
        break;
    case kSetDhcpRequest:
        fixed.Get8(&device.dhcp);
        break;
    case kRebootRequest:
        // It answers first, then restarts and forgets its challenge.
        device.silentUntil = replyDue + device.rebootDowntime;
        device.hasChallenge = false;
        break;
    default:
        break;
    }
}

bool Responder::Verify(Device &device, const Command &command)
{
    if (device.auth == AuthMode::Plain) {
        return command.authLength == device.password.size() &&
               SameBytes(command.auth, reinterpret_cast<const uint8_t *>(device.password.data()), command.authLength);
    }
    // A challenge answers one command only, right or wrong, so that a
    // digest can't be replayed and guesses need a fresh challenge each.
    const bool hadChallenge = device.hasChallenge;
    device.hasChallenge = false;
    if (!hadChallenge || command.authLength != kDigestSize) {
        return false;
    }
    const uint8_t typeBytes[2] = {static_cast<uint8_t>(command.layout.type >> 8),
                                  static_cast<uint8_t>(command.layout.type)};
    uint8_t expected[kDigestSize];
    // The digest covers the fixed fields and the authLength byte that
    // follows them in the request.
    ComputeAuthDigest(device.challenge, device.password.c_str(), device.password.size(), command.fixed,
                      command.layout.fixedLength + 1, typeBytes, expected);
    return SameBytes(expected, command.auth, kDigestSize);
}

std::vector<uint8_t> Responder::DiscoveryReply(Device &device, uint32_t magic, bool withChallenge)
{
    const Malformation malformation = misbehaviour_.malformation;
    ReplyWriter writer(misbehaviour_.ReplyMagic(magic), misbehaviour_.ReplyType(kDiscoveryRequest));
    if (!misbehaviour_.omitMac) {
        writer.Field(kTagMacAddress, device.mac, malformation == Malformation::MacLength ? 4 : kMacSize);
    }
    writer.Field(kTagIpAddress, &device.ip, malformation == Malformation::IpLength ? 3 : 4);
    writer.Address(kTagSubnetMask, device.mask);
    writer.Address(kTagGatewayAddress, device.gateway);
    writer.Address(kTagDnsAddress, device.dns);
    writer.Uint(kTagDhcpMode, device.dhcp, malformation == Malformation::IntegerLength ? 3 : 1);
    Bytes(writer, kTagDeviceName, device.name);
    Bytes(writer, kTagProductName, device.product);
    writer.Uint(kTagVersion, device.version, 2);
    writer.Uint(kTagAdvisory, device.advisory, 2);
    uint8_t guid[16];
    EncodeGuid(device.guid, guid);
    writer.Field(kTagGuid, guid, sizeof guid);
    if (device.tag22) {
        writer.Field(kTag22, device.tag22->data(), device.tag22->size());
    }
    if (device.tag24) {
        writer.Field(kTag24, device.tag24->data(), device.tag24->size());
    }
    if (withChallenge) {
        std::uniform_int_distribution<int> byte(0, 255);
        for (uint8_t &b : device.challenge) {
            b = static_cast<uint8_t>(byte(random_));
        }
        device.hasChallenge = true;
    }
    if (malformation == Malformation::NonceLength) {
        writer.Field(kTagAuthNonce, device.challenge, kNonceSize - 1);
    } else if (withChallenge) {
        writer.Field(kTagAuthNonce, device.challenge, kNonceSize);
    }
    std::vector<uint8_t> bytes = writer.Finish();
    misbehaviour_.Finish(bytes);
    return bytes;
}

std::vector<uint8_t> Responder::CommandReply(const Device &device, uint32_t magic, uint16_t type, bool accepted)
{
    const Malformation malformation = misbehaviour_.malformation;
    ReplyWriter writer(misbehaviour_.ReplyMagic(magic), misbehaviour_.ReplyType(type));
    if (!misbehaviour_.omitMac) {
        writer.Field(kTagMacAddress, device.mac, malformation == Malformation::MacLength ? 4 : kMacSize);
    }
    const size_t width = malformation == Malformation::IntegerLength ? 3 : 1;
    if (!misbehaviour_.omitResultCode) {
        writer.Uint(kTagResultCode, accepted ? 0 : failure_.resultCode, width);
    }
    if (!accepted) {
        writer.Uint(kTagErrorNumber, failure_.errorNumber, 1);
        Bytes(writer, kTagErrorMessage, failure_.errorText);
    }
    std::vector<uint8_t> bytes = writer.Finish();
    misbehaviour_.Finish(bytes);
    return bytes;
}

Clock::time_point Responder::ReplyTime(const Device &device, Clock::time_point base)
{
    Clock::time_point due = base + device.replyDelay;
    if (device.replyJitter.count() > 0) {
        std::uniform_int_distribution<int64_t> jitter(0, device.replyJitter.count());
        due += std::chrono::milliseconds(jitter(random_));
    }
    return due;
}

void Responder::Queue(std::vector<uint8_t> bytes, Clock::time_point due, const Arrival &arrival, int device,
                      std::vector<Outgoing> *out)
{
    if (misbehaviour_.dropReplies.Contains(++repliesMade_)) {
        return;
    }
    const int copies = misbehaviour_.answerTwice ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        out->push_back(Outgoing{due, i + 1 < copies ? bytes : std::move(bytes), arrival.peer, arrival.ifindex, device});
    }
}

} // namespace kovr::sim
