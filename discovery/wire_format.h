// Everything the KOVR protocol puts into a datagram or takes out of one:
// the header, the tag-length-value fields, the requests the library sends,
// and the decoding of replies into a ReplyRecord.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kovr/kovr.h"

namespace kovr {

struct DiscoverySession;

constexpr uint16_t kProtocolVersion = 0x0200;
constexpr uint32_t kRecordSize = 852;
constexpr size_t kHeaderSize = 8;
constexpr size_t kDiscoveryRequestSize = 36;
constexpr size_t kVersionFieldSize = 4;
constexpr size_t kGuidFieldSize = 18;
constexpr size_t kReceiveBufferSize = 1456;
constexpr size_t kMacSize = 6;
constexpr size_t kNonceSize = 14;
constexpr size_t kDigestSize = 16;
constexpr size_t kMaxPlainPassword = 255;
// Largest command request: SetNetwork fixed fields, a 255-byte plain password.
constexpr size_t kMaxCommandRequestSize = kHeaderSize + 18 + 1 + 255 + kVersionFieldSize + kGuidFieldSize;

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

// statusFields bits of a ReplyRecord.
constexpr uint32_t kStatusResultCode = 0x1;
constexpr uint32_t kStatusErrorNumber = 0x2;
constexpr uint32_t kStatusErrorMessage = 0x4;

// One reply, parsed: the record that callers see, then the command status,
// which never leaves the library. A record that lives on the heap (every
// queued one) is allocated with std::calloc(1, sizeof(ReplyRecord)) and
// released with std::free, whoever takes it last.
struct ReplyRecord {
    KOVRDeviceInfoRecord info;
    uint32_t statusFields;
    uint8_t resultCode;
    uint8_t errorNumber;
    char errorMessage[256];
};

struct DatagramHeader {
    uint32_t magic;
    uint16_t type;
    uint16_t payloadLength;
};

bool IsAllDevices(const uint8_t mac[kMacSize]);

void InitReplyRecord(const DiscoverySession *session, ReplyRecord *record);
void EncodeVersionField(uint8_t out[kVersionFieldSize]);
void EncodeGuidField(const DiscoverySession *session, uint8_t out[kGuidFieldSize]);
void EncodeGuid(const KOVR_GUID &guid, uint8_t out[16]);
KOVR_GUID DecodeGuid(const uint8_t in[16]);
void WriteHeader(uint8_t out[kHeaderSize], uint32_t magic, uint16_t type, uint16_t payloadLength);
// False when fewer than kHeaderSize bytes are given.
bool ReadHeader(const uint8_t *data, size_t length, DatagramHeader *header);

void BuildDiscoveryRequest(const DiscoverySession *session, const uint8_t target[kMacSize],
                           uint8_t out[kDiscoveryRequestSize]);

// A command request under construction: header and fixed fields first, then
// the authentication part. authLengthOffset is where the authLength byte goes.
struct CommandRequest {
    uint8_t bytes[kMaxCommandRequestSize];
    size_t authLengthOffset;
    size_t length;
};

void BeginRebootRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], CommandRequest *request);
void BeginSetNetworkRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], uint32_t ip, uint32_t mask,
                            uint32_t gateway, CommandRequest *request);
void BeginSetDhcpRequest(const DiscoverySession *session, const uint8_t mac[kMacSize], uint8_t mode,
                         CommandRequest *request);
// The password in clear: authLength n, n bytes, no trailer. False when n > 255.
bool FinishPlainRequest(CommandRequest *request, const char *password, size_t passwordLength);
// authLength 16, the digest, the version field and the GUID field.
void FinishDigestRequest(const DiscoverySession *session, CommandRequest *request, const uint8_t digest[kDigestSize]);

// Decodes one datagram of `length` received bytes. False for another magic or
// type (record untouched), a malformed field, or a payload that runs past the
// received bytes.
bool ParseReply(const DiscoverySession *session, const uint8_t *data, size_t length, uint16_t expectedType,
                ReplyRecord *record);

// The acceptance rule short of the socket's own address: parsed, carries a
// MAC field, and the MAC matches the target unless the target is all devices.
bool AcceptReply(const DiscoverySession *session, const uint8_t *data, size_t length, uint16_t expectedType,
                 const uint8_t target[kMacSize], ReplyRecord *record);

// Device side, for the simulator and the tests: a reply is a header and fields.
class ReplyWriter {
public:
    ReplyWriter(uint32_t magic, uint16_t type);
    ReplyWriter &Field(uint8_t tag, const void *value, size_t length);
    ReplyWriter &Text(uint8_t tag, const char *text);
    ReplyWriter &Uint(uint8_t tag, uint32_t value, size_t width);
    ReplyWriter &Address(uint8_t tag, uint32_t networkOrderAddress);
    // The datagram, with the payload length filled in.
    const std::vector<uint8_t> &Finish();

private:
    std::vector<uint8_t> bytes_;
};

} // namespace kovr
