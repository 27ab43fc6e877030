#include "discovery/replies.h"

#include <cstring>

namespace kovr {

namespace {

// Unsigned integer fields are 1, 2 or 4 bytes, big-endian; anything else is
// malformed.
bool ReadUnsigned(const uint8_t *value, uint8_t length, uint32_t *out)
{
    ByteReader reader(value, length);
    uint8_t byte = 0;
    uint16_t half = 0;
    switch (length) {
    case 1:
        reader.Get8(&byte);
        *out = byte;
        return true;
    case 2:
        reader.GetBig16(&half);
        *out = half;
        return true;
    case 4:
        return reader.GetBig32(out);
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

// Where an address field goes in the record, and the bit that tells it is there.
bool AddressTarget(uint8_t tag, KOVRDeviceInfoRecord &info, uint32_t **target, uint32_t *bit)
{
    switch (tag) {
    case kTagIpAddress:
        *target = &info.ipAddress;
        *bit = KOVR_FIELD_IP_ADDRESS;
        return true;
    case kTagSubnetMask:
        *target = &info.subnetMask;
        *bit = KOVR_FIELD_SUBNET_MASK;
        return true;
    case kTagGatewayAddress:
        *target = &info.gatewayAddress;
        *bit = KOVR_FIELD_GATEWAY_ADDRESS;
        return true;
    case kTagDnsAddress:
        *target = &info.dnsAddress;
        *bit = KOVR_FIELD_DNS_ADDRESS;
        return true;
    default:
        return false;
    }
}

// Decodes one field into the record. Returns false for a malformed field of
// a tag whose failure counts; `decisive` tells that this tag's outcome
// replaces the result so far instead of only being able to spoil it.
bool DecodeField(uint8_t tag, const uint8_t *value, uint8_t length, ReplyRecord *record, bool *decisive)
{
    KOVRDeviceInfoRecord &info = record->info;
    uint32_t number = 0;
    uint32_t *address = nullptr;
    uint32_t bit = 0;
    *decisive = false;
    if (AddressTarget(tag, info, &address, &bit)) {
        if (length != 4) {
            return false;
        }
        // Addresses stay in network order: the bytes go in as they stand.
        std::memcpy(address, value, 4);
        info.presentFields |= bit;
        return true;
    }
    switch (tag) {
    case kTagMacAddress:
        if (length != kMacSize) {
            return false;
        }
        std::memcpy(info.macAddress, value, kMacSize);
        info.presentFields |= KOVR_FIELD_MAC_ADDRESS;
        return true;
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

} // namespace

void InitReplyRecord(const Identity &identity, ReplyRecord *record)
{
    std::memset(record, 0, sizeof *record);
    record->info.recordSize = kRecordSize;
    record->info.version = kProtocolVersion;
    record->info.vendorId = identity.magic;
}

bool ParseReply(const Identity &identity, const uint8_t *data, size_t length, uint16_t expectedType,
                ReplyRecord *record)
{
    DatagramHeader header;
    if (!ReadHeader(data, length, &header)) {
        return false;
    }
    // A datagram of another magic or type, or one shorter than its declared
    // payload, is refused before any field of the record is touched.
    if (header.magic != identity.magic || header.type != expectedType || header.payloadLength > length - kHeaderSize) {
        return false;
    }
    record->info.presentFields = 0;
    record->statusFields = 0;

    // A field whose tag, length or value would run past the payload ends
    // the walk: nothing beyond the received bytes is ever read.
    ByteReader payload(data + kHeaderSize, header.payloadLength);
    bool result = true;
    while (payload.Remaining() > 0) {
        uint8_t tag = 0;
        uint8_t fieldLength = 0;
        const uint8_t *value = nullptr;
        if (!payload.Get8(&tag) || !payload.Get8(&fieldLength) || !payload.GetBytes(&value, fieldLength)) {
            return false;
        }
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

bool AcceptReply(const Identity &identity, const uint8_t *data, size_t length, uint16_t expectedType,
                 const uint8_t target[kMacSize], ReplyRecord *record)
{
    if (length == 0 || !ParseReply(identity, data, length, expectedType, record)) {
        return false;
    }
    if ((record->info.presentFields & KOVR_FIELD_MAC_ADDRESS) == 0) {
        return false;
    }
    return IsAllDevices(target) || std::memcmp(record->info.macAddress, target, kMacSize) == 0;
}

} // namespace kovr
