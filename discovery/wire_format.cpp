#include "wire_format.h"

#include <cstring>
#include <stdexcept>

#include "session.h"

namespace kovr {

const uint8_t kAllDevices[kMacSize] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};

namespace {

constexpr uint8_t kGuidSize = 16;
constexpr size_t kMaxFieldLength = 255;
constexpr uint16_t kDiscoveryPayloadLength = kDiscoveryRequestSize - kHeaderSize;

void StoreBig16(uint8_t *out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

void StoreBig32(uint8_t *out, uint32_t value)
{
    StoreBig16(out, static_cast<uint16_t>(value >> 16));
    StoreBig16(out + 2, static_cast<uint16_t>(value));
}

uint16_t LoadBig16(const uint8_t *in)
{
    return static_cast<uint16_t>(in[0] << 8 | in[1]);
}

uint32_t LoadBig32(const uint8_t *in)
{
    return static_cast<uint32_t>(LoadBig16(in)) << 16 | LoadBig16(in + 2);
}

// Unsigned integer fields are 1, 2 or 4 bytes, big-endian; anything else is
// malformed.
bool ReadUnsigned(const uint8_t *value, uint8_t length, uint32_t *out)
{
    switch (length) {
    case 1:
        *out = value[0];
        return true;
    case 2:
        *out = LoadBig16(value);
        return true;
    case 4:
        *out = LoadBig32(value);
        return true;
    default:
        return false;
    }
}

// A text field is copied whole with a terminator; the rest of the record
// field is cleared so that a repeated field leaves nothing of the earlier one.
void CopyText(char (&destination)[256], const uint8_t *value, uint8_t length)
{
    std::memcpy(destination, value, length);
    std::memset(destination + length, 0, sizeof destination - length);
}

// Decodes one field into the record. Returns false for a malformed field of
// a tag whose failure counts; `decisive` tells that this tag's outcome
// replaces the result so far instead of only being able to spoil it.
bool DecodeField(uint8_t tag, const uint8_t *value, uint8_t length, ReplyRecord *record, bool *decisive)
{
    KOVRDeviceInfoRecord &info = record->info;
    uint32_t number = 0;
    *decisive = false;
    switch (tag) {
    case kTagMacAddress:
        if (length != kMacSize) {
            return false;
        }
        std::memcpy(info.macAddress, value, kMacSize);
        info.presentFields |= KOVR_FIELD_MAC_ADDRESS;
        return true;
    case kTagIpAddress:
    case kTagSubnetMask:
    case kTagGatewayAddress:
    case kTagDnsAddress: {
        if (length != 4) {
            return false;
        }
        // Addresses stay in network order: the bytes go in as they stand.
        uint32_t *target = tag == kTagIpAddress     ? &info.ipAddress
                           : tag == kTagSubnetMask  ? &info.subnetMask
                           : tag == kTagDnsAddress  ? &info.dnsAddress
                                                    : &info.gatewayAddress;
        std::memcpy(target, value, 4);
        info.presentFields |= tag == kTagIpAddress     ? KOVR_FIELD_IP_ADDRESS
                              : tag == kTagSubnetMask  ? KOVR_FIELD_SUBNET_MASK
                              : tag == kTagDnsAddress  ? KOVR_FIELD_DNS_ADDRESS
                                                       : KOVR_FIELD_GATEWAY_ADDRESS;
        return true;
    }
    case kTagDeviceName:
        CopyText(info.deviceName, value, length);
        info.presentFields |= KOVR_FIELD_DEVICE_NAME;
        return true;
    case kTagProductName:
        CopyText(info.productName, value, length);
        info.presentFields |= KOVR_FIELD_PRODUCT_NAME;
        return true;
    case kTagErrorMessage:
        CopyText(record->errorMessage, value, length);
        record->statusFields |= kStatusErrorMessage;
        return true;
    case kTagResultCode:
        if (!ReadUnsigned(value, length, &number)) {
            return false;
        }
        record->resultCode = static_cast<uint8_t>(number);
        record->statusFields |= kStatusResultCode;
        return true;
    case kTagErrorNumber:
        if (!ReadUnsigned(value, length, &number)) {
            return false;
        }
        record->errorNumber = static_cast<uint8_t>(number);
        record->statusFields |= kStatusErrorNumber;
        return true;
    case kTagAdvisory:
        if (!ReadUnsigned(value, length, &number)) {
            return false;
        }
        info.advisory = static_cast<uint16_t>(number);
        info.presentFields |= KOVR_FIELD_ADVISORY;
        return true;
    case kTagDhcpMode:
        if (!ReadUnsigned(value, length, &number)) {
            return false;
        }
        info.dhcpMode = static_cast<uint8_t>(number);
        info.presentFields |= KOVR_FIELD_DHCP_MODE;
        return true;
    case kTagVersion:
        if (!ReadUnsigned(value, length, &number)) {
            return false;
        }
        info.version = static_cast<uint16_t>(number);
        info.presentFields |= KOVR_FIELD_VERSION;
        return true;
    case kTag22:
        if (length > 0) {
            info.tag22Value = value[0];
        }
        info.presentFields |= KOVR_FIELD_TAG22;
        return true;
    // Tags 21, 23 and 24 decide the result by their own outcome, so a
    // well-formed one clears the failure of any field before it.
    case kTagGuid:
        *decisive = true;
        if (length != kGuidSize) {
            return false;
        }
        info.guid = DecodeGuid(value);
        info.presentFields |= KOVR_FIELD_GUID;
        return true;
    case kTagAuthNonce:
        *decisive = true;
        if (length != kNonceSize) {
            return false;
        }
        info.nonceLength = kNonceSize;
        std::memcpy(info.nonce, value, kNonceSize);
        info.presentFields |= KOVR_FIELD_NONCE;
        return true;
    case kTag24:
        *decisive = true;
        info.tag24Length = length;
        if (length == 0) {
            return false;
        }
        std::memcpy(info.tag24Data, value, length);
        std::memset(info.tag24Data + length, 0, sizeof info.tag24Data - length);
        info.presentFields |= KOVR_FIELD_TAG24;
        return true;
    default:
        // Unknown tags are skipped by their length.
        return true;
    }
}

void BeginCommandRequest(const DiscoverySession *session, MessageType type, CommandRequest *request)
{
    std::memset(request, 0, sizeof *request);
    WriteHeader(request->bytes, session->magic, type, 0);
}

void FinishCommandRequest(CommandRequest *request, size_t length)
{
    request->length = length;
    StoreBig16(request->bytes + 6, static_cast<uint16_t>(length - kHeaderSize));
}

} // namespace

bool IsAllDevices(const uint8_t mac[kMacSize])
{
    return mac != nullptr && std::memcmp(mac, kAllDevices, kMacSize) == 0;
}

void InitReplyRecord(const DiscoverySession *session, ReplyRecord *record)
{
    if (record == nullptr) {
        return;
    }
    std::memset(record, 0, sizeof *record);
    record->info.recordSize = kRecordSize;
    record->info.version = kProtocolVersion;
    record->info.vendorId = session != nullptr ? session->magic : 0;
}

void EncodeVersionField(uint8_t out[kVersionFieldSize])
{
    out[0] = kTagVersion;
    out[1] = 2;
    StoreBig16(out + 2, kProtocolVersion);
}

void EncodeGuid(const KOVR_GUID &guid, uint8_t out[16])
{
    StoreBig32(out, guid.Data1);
    StoreBig16(out + 4, guid.Data2);
    StoreBig16(out + 6, guid.Data3);
    std::memcpy(out + 8, guid.Data4, sizeof guid.Data4);
}

KOVR_GUID DecodeGuid(const uint8_t in[16])
{
    KOVR_GUID guid;
    guid.Data1 = LoadBig32(in);
    guid.Data2 = LoadBig16(in + 4);
    guid.Data3 = LoadBig16(in + 6);
    std::memcpy(guid.Data4, in + 8, sizeof guid.Data4);
    return guid;
}

void EncodeGuidField(const DiscoverySession *session, uint8_t out[kGuidFieldSize])
{
    out[0] = kTagGuid;
    out[1] = kGuidSize;
    EncodeGuid(session->guid, out + 2);
}

void WriteHeader(uint8_t out[kHeaderSize], uint32_t magic, uint16_t type, uint16_t payloadLength)
{
    StoreBig32(out, magic);
    StoreBig16(out + 4, type);
    StoreBig16(out + 6, payloadLength);
}

bool ReadHeader(const uint8_t *data, size_t length, DatagramHeader *header)
{
    if (data == nullptr || length < kHeaderSize) {
        return false;
    }
    header->magic = LoadBig32(data);
    header->type = LoadBig16(data + 4);
    header->payloadLength = LoadBig16(data + 6);
    return true;
}

void BuildDiscoveryRequest(const DiscoverySession *session, const uint8_t target[kMacSize],
                           uint8_t out[kDiscoveryRequestSize])
{
    std::memset(out, 0, kDiscoveryRequestSize);
    WriteHeader(out, session->magic, kDiscoveryRequest, kDiscoveryPayloadLength);
    std::memcpy(out + 8, target, kMacSize);
    EncodeVersionField(out + 14);
    EncodeGuidField(session, out + 18);
}

void BeginRebootRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], CommandRequest *request)
{
    BeginCommandRequest(session, kRebootRequest, request);
    std::memcpy(request->bytes + 8, mac, kMacSize);
    request->authLengthOffset = 14;
    request->length = request->authLengthOffset;
}

void BeginSetNetworkRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], uint32_t ip, uint32_t mask,
                            uint32_t gateway, CommandRequest *request)
{
    BeginCommandRequest(session, kSetNetworkRequest, request);
    // The caller's addresses are in network order already: copied as they stand.
    std::memcpy(request->bytes + 8, &ip, 4);
    std::memcpy(request->bytes + 12, &mask, 4);
    std::memcpy(request->bytes + 16, &gateway, 4);
    std::memcpy(request->bytes + 20, mac, kMacSize);
    request->authLengthOffset = 26;
    request->length = request->authLengthOffset;
}

void BeginSetDhcpRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], uint8_t mode,
                         CommandRequest *request)
{
    BeginCommandRequest(session, kSetDhcpRequest, request);
    request->bytes[8] = mode;
    std::memcpy(request->bytes + 9, mac, kMacSize);
    request->authLengthOffset = 15;
    request->length = request->authLengthOffset;
}

bool FinishPlainRequest(CommandRequest *request, const char *password, size_t passwordLength)
{
    if (passwordLength > kMaxPlainPassword || (password == nullptr && passwordLength > 0)) {
        return false;
    }
    uint8_t *auth = request->bytes + request->authLengthOffset;
    auth[0] = static_cast<uint8_t>(passwordLength);
    if (passwordLength > 0) {
        std::memcpy(auth + 1, password, passwordLength);
    }
    FinishCommandRequest(request, request->authLengthOffset + 1 + passwordLength);
    return true;
}

void FinishDigestRequest(const DiscoverySession *session, CommandRequest *request, const uint8_t digest[kDigestSize])
{
    uint8_t *auth = request->bytes + request->authLengthOffset;
    auth[0] = kDigestSize;
    std::memcpy(auth + 1, digest, kDigestSize);
    EncodeVersionField(auth + 1 + kDigestSize);
    EncodeGuidField(session, auth + 1 + kDigestSize + kVersionFieldSize);
    FinishCommandRequest(request, request->authLengthOffset + 1 + kDigestSize + kVersionFieldSize + kGuidFieldSize);
}

bool ParseReply(const DiscoverySession *session, const uint8_t *data, size_t length, uint16_t expectedType,
                ReplyRecord *record)
{
    DatagramHeader header;
    if (session == nullptr || record == nullptr || !ReadHeader(data, length, &header)) {
        return false;
    }
    // A datagram of another magic or type, or one shorter than its declared
    // payload, is refused before any field of the record is touched.
    if (header.magic != session->magic || header.type != expectedType ||
        header.payloadLength > length - kHeaderSize) {
        return false;
    }
    record->info.presentFields = 0;
    record->statusFields = 0;

    const uint8_t *payload = data + kHeaderSize;
    const size_t payloadLength = header.payloadLength;
    bool result = true;
    size_t position = 0;
    while (position < payloadLength) {
        // A field whose tag, length or value would run past the payload ends
        // the walk: nothing beyond the received bytes is ever read.
        if (payloadLength - position < 2) {
            return false;
        }
        const uint8_t tag = payload[position];
        const uint8_t fieldLength = payload[position + 1];
        const uint8_t *value = payload + position + 2;
        if (payloadLength - position - 2 < fieldLength) {
            return false;
        }
        position += 2 + static_cast<size_t>(fieldLength);

        bool decisive = false;
        const bool wellFormed = DecodeField(tag, value, fieldLength, record, &decisive);
        if (decisive) {
            result = wellFormed;
        } else if (!wellFormed) {
            result = false;
        }
    }
    return result;
}

bool AcceptReply(const DiscoverySession *session, const uint8_t *data, size_t length, uint16_t expectedType,
                 const uint8_t target[kMacSize], ReplyRecord *record)
{
    if (length == 0 || target == nullptr || !ParseReply(session, data, length, expectedType, record)) {
        return false;
    }
    if ((record->info.presentFields & KOVR_FIELD_MAC_ADDRESS) == 0) {
        return false;
    }
    return IsAllDevices(target) || std::memcmp(record->info.macAddress, target, kMacSize) == 0;
}

ReplyWriter::ReplyWriter(uint32_t magic, uint16_t type) : bytes_(kHeaderSize)
{
    WriteHeader(bytes_.data(), magic, type, 0);
}

ReplyWriter &ReplyWriter::Field(uint8_t tag, const void *value, size_t length)
{
    if (length > kMaxFieldLength) {
        throw std::length_error("a field holds at most 255 bytes");
    }
    bytes_.push_back(tag);
    bytes_.push_back(static_cast<uint8_t>(length));
    const auto *begin = static_cast<const uint8_t *>(value);
    bytes_.insert(bytes_.end(), begin, begin + length);
    return *this;
}

ReplyWriter &ReplyWriter::Text(uint8_t tag, const char *text)
{
    return Field(tag, text, std::strlen(text));
}

ReplyWriter &ReplyWriter::Uint(uint8_t tag, uint32_t value, size_t width)
{
    // Big-endian in `width` bytes; widths other than 1, 2 and 4 make the
    // malformed fields that tests need.
    uint8_t bytes[kMaxFieldLength] = {};
    const size_t used = width < kMaxFieldLength ? width : kMaxFieldLength;
    for (size_t i = 0; i < used && i < 4; ++i) {
        bytes[used - 1 - i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return Field(tag, bytes, width);
}

ReplyWriter &ReplyWriter::Address(uint8_t tag, uint32_t networkOrderAddress)
{
    return Field(tag, &networkOrderAddress, sizeof networkOrderAddress);
}

const std::vector<uint8_t> &ReplyWriter::Finish()
{
    const size_t payload = bytes_.size() - kHeaderSize;
    StoreBig16(bytes_.data() + 6, static_cast<uint16_t>(payload > 0xffff ? 0xffff : payload));
    return bytes_;
}

} // namespace kovr
