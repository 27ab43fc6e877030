// The bytes of a KOVR datagram: the constants of the protocol, a
// bounds-checked reader and writer, the header, and the fields that every
// request carries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kovr/kovr.h"

namespace kovr {

constexpr uint16_t kProtocolVersion = 0x0200;
constexpr uint32_t kRecordSize = 852;
constexpr size_t kHeaderSize = 8;
constexpr size_t kVersionFieldSize = 4;
constexpr size_t kGuidSize = 16;
constexpr size_t kGuidFieldSize = 2 + kGuidSize;
constexpr size_t kReceiveBufferSize = 1456;
constexpr size_t kMacSize = 6;
constexpr size_t kNonceSize = 14;
constexpr size_t kDigestSize = 16;
constexpr size_t kMaxFieldLength = 255;
// A plain password travels behind one length byte.
constexpr size_t kMaxPlainPassword = 255;

extern const uint8_t kAllDevices[kMacSize];

enum MessageType : uint16_t {
    kDiscoveryRequest = 1,
    kDiscoveryReply = 2,
    kSetNetworkRequest = 3,
    kSetNetworkReply = 4,
    kRebootRequest = 5,
    kRebootReply = 6,
    kSetDhcpRequest = 7,
    kSetDhcpReply = 8,
};

enum FieldTag : uint8_t {
    kTagMacAddress = 1,
    kTagIpAddress = 2,
    kTagSubnetMask = 3,
    kTagDeviceName = 4,
    kTagErrorMessage = 9,
    kTagResultCode = 10,
    kTagGatewayAddress = 11,
    kTagAdvisory = 12,
    kTagProductName = 13,
    kTagDnsAddress = 15,
    kTagDhcpMode = 16,
    kTagErrorNumber = 17,
    kTagVersion = 20,
    kTagGuid = 21,
    kTag22 = 22,
    kTagAuthNonce = 23,
    kTag24 = 24,
};

// Who is asking: the magic that heads every datagram and the GUID that
// requests carry.
struct Identity {
    uint32_t magic;
    KOVR_GUID guid;
};

struct DatagramHeader {
    uint32_t magic;
    uint16_t type;
    uint16_t payloadLength;
};

// Writes big-endian values into a fixed buffer. A write that doesn't fit
// writes nothing and marks the writer failed.
class ByteWriter {
public:
    ByteWriter(uint8_t *data, size_t capacity) : data_(data), capacity_(capacity) {}

    ByteWriter &Put8(uint8_t value) { return PutBytes(&value, 1); }
    ByteWriter &PutBig16(uint16_t value);
    ByteWriter &PutBig32(uint32_t value);
    ByteWriter &PutBytes(const void *bytes, size_t length);

    size_t Length() const { return length_; }
    bool Ok() const { return ok_; }

private:
    uint8_t *data_;
    size_t capacity_;
    size_t length_ = 0;
    bool ok_ = true;
};

// Reads big-endian values from received bytes. A read past the end reads
// nothing and returns false.
class ByteReader {
public:
    ByteReader(const uint8_t *data, size_t length) : data_(data), length_(length) {}

    bool Get8(uint8_t *value);
    bool GetBig16(uint16_t *value);
    bool GetBig32(uint32_t *value);
    // Points *bytes at the next `length` bytes and moves past them.
    bool GetBytes(const uint8_t **bytes, size_t length);

    size_t Remaining() const { return length_ - position_; }

private:
    const uint8_t *data_;
    size_t length_;
    size_t position_ = 0;
};

bool IsAllDevices(const uint8_t mac[kMacSize]);

void WriteHeader(uint8_t out[kHeaderSize], uint32_t magic, uint16_t type, uint16_t payloadLength);
// False when fewer than kHeaderSize bytes are given.
bool ReadHeader(const uint8_t *data, size_t length, DatagramHeader *header);
void EncodeGuid(const KOVR_GUID &guid, uint8_t out[kGuidSize]);
KOVR_GUID DecodeGuid(const uint8_t in[kGuidSize]);
void EncodeVersionField(uint8_t out[kVersionFieldSize]);
void EncodeGuidField(const KOVR_GUID &guid, uint8_t out[kGuidFieldSize]);

} // namespace kovr
