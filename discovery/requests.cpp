#include "discovery/requests.h"

#include <cstring>

namespace kovr {

namespace {

constexpr RequestLayout kRequestLayouts[] = {
    {kSetNetworkRequest, 18, 12},
    {kRebootRequest, 6, 0},
    {kSetDhcpRequest, 7, 1},
};

constexpr uint16_t kDiscoveryPayloadLength = kDiscoveryRequestSize - kHeaderSize;

// The header with a payload length still to come, the fixed fields left
// zero for the caller, and the target MAC where the layout puts it.
uint8_t *BeginCommandRequest(const Identity &identity, MessageType type, const uint8_t mac[kMacSize],
                             CommandRequest *request)
{
    const RequestLayout &layout = *FindRequestLayout(type);
    std::memset(request, 0, sizeof *request);
    WriteHeader(request->bytes, identity.magic, type, 0);
    uint8_t *fixed = request->bytes + kHeaderSize;
    std::memcpy(fixed + layout.macOffset, mac, kMacSize);
    request->authLengthOffset = kHeaderSize + layout.fixedLength;
    request->length = request->authLengthOffset;
    return fixed;
}

void FinishCommandRequest(CommandRequest *request, ByteWriter &auth)
{
    request->length = request->authLengthOffset + auth.Length();
    const uint16_t payload = static_cast<uint16_t>(request->length - kHeaderSize);
    ByteWriter(request->bytes + 6, 2).PutBig16(payload);
}

} // namespace

const RequestLayout *FindRequestLayout(uint16_t type)
{
    for (const RequestLayout &layout : kRequestLayouts) {
        if (layout.type == type) {
            return &layout;
        }
    }
    return nullptr;
}

void BuildDiscoveryRequest(const Identity &identity, const uint8_t target[kMacSize], uint8_t out[kDiscoveryRequestSize])
{
    WriteHeader(out, identity.magic, kDiscoveryRequest, kDiscoveryPayloadLength);
    uint8_t version[kVersionFieldSize];
    uint8_t guid[kGuidFieldSize];
    EncodeVersionField(version);
    EncodeGuidField(identity.guid, guid);
    ByteWriter(out + kHeaderSize, kDiscoveryPayloadLength)
        .PutBytes(target, kMacSize)
        .PutBytes(version, sizeof version)
        .PutBytes(guid, sizeof guid);
}

void BeginRebootRequest(const Identity &identity, const uint8_t mac[kMacSize], CommandRequest *request)
{
    BeginCommandRequest(identity, kRebootRequest, mac, request);
}

void BeginSetNetworkRequest(const Identity &identity, const uint8_t mac[kMacSize], uint32_t ip, uint32_t mask,
                            uint32_t gateway, CommandRequest *request)
{
    uint8_t *fixed = BeginCommandRequest(identity, kSetNetworkRequest, mac, request);
    // The caller's addresses are in network order already: copied as they stand.
    ByteWriter(fixed, 12).PutBytes(&ip, 4).PutBytes(&mask, 4).PutBytes(&gateway, 4);
}

void BeginSetDhcpRequest(const Identity &identity, const uint8_t mac[kMacSize], uint8_t mode, CommandRequest *request)
{
    uint8_t *fixed = BeginCommandRequest(identity, kSetDhcpRequest, mac, request);
    fixed[0] = mode;
}

bool FinishPlainRequest(CommandRequest *request, const char *password, size_t passwordLength)
{
    if (passwordLength > kMaxPlainPassword) {
        return false;
    }
    ByteWriter auth(request->bytes + request->authLengthOffset, sizeof request->bytes - request->authLengthOffset);
    auth.Put8(static_cast<uint8_t>(passwordLength)).PutBytes(password, passwordLength);
    FinishCommandRequest(request, auth);
    return true;
}

void FinishDigestRequest(const Identity &identity, CommandRequest *request, const uint8_t digest[kDigestSize])
{
    uint8_t version[kVersionFieldSize];
    uint8_t guid[kGuidFieldSize];
    EncodeVersionField(version);
    EncodeGuidField(identity.guid, guid);
    ByteWriter auth(request->bytes + request->authLengthOffset, sizeof request->bytes - request->authLengthOffset);
    auth.Put8(kDigestSize).PutBytes(digest, kDigestSize).PutBytes(version, sizeof version).PutBytes(guid, sizeof guid);
    FinishCommandRequest(request, auth);
}

} // namespace kovr
