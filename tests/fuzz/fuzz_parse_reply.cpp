// Any datagram through ParseReply and the acceptance rule: no read past the
// received bytes, no crash, and a record that callers may safely read.
#include <cstdlib>
#include <cstring>

#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"

namespace {

constexpr uint32_t kKnownFields =
    KOVR_FIELD_MAC_ADDRESS | KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_SUBNET_MASK | KOVR_FIELD_GATEWAY_ADDRESS |
    KOVR_FIELD_DNS_ADDRESS | KOVR_FIELD_DHCP_MODE | KOVR_FIELD_DEVICE_NAME | KOVR_FIELD_PRODUCT_NAME |
    KOVR_FIELD_ADVISORY | KOVR_FIELD_VERSION | KOVR_FIELD_GUID | KOVR_FIELD_TAG22 | KOVR_FIELD_NONCE | KOVR_FIELD_TAG24;
constexpr uint8_t kTarget[kovr::kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void CheckRecord(const kovr::ReplyRecord &record)
{
    const KOVRDeviceInfoRecord &info = record.info;
    Require((info.presentFields & ~kKnownFields) == 0);
    Require((record.statusFields & ~7u) == 0);
    Require(info.recordSize == kovr::kRecordSize);
    Require(info.vendorId == KOVR_MAGIC_LORX);
    Require(info.nonceLength == 0 || info.nonceLength == kovr::kNonceSize);
    Require(info.deviceName[sizeof info.deviceName - 1] == '\0');
    Require(info.productName[sizeof info.productName - 1] == '\0');
    Require(record.errorMessage[sizeof record.errorMessage - 1] == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const kovr::Identity session{KOVR_MAGIC_LORX, {}};

    // Expect the type the datagram claims, so that the fields get decoded;
    // the magic still has to match.
    const uint16_t type = size >= 6 ? static_cast<uint16_t>(data[4] << 8 | data[5]) : kovr::kDiscoveryReply;
    kovr::ReplyRecord record;
    kovr::InitReplyRecord(session, &record);
    kovr::ParseReply(session, data, size, type, &record);
    CheckRecord(record);

    for (const uint8_t *target : {kovr::kAllDevices, kTarget}) {
        kovr::InitReplyRecord(session, &record);
        if (kovr::AcceptReply(session, data, size, type, target, &record)) {
            Require((record.info.presentFields & KOVR_FIELD_MAC_ADDRESS) != 0);
            Require(target == kovr::kAllDevices || std::memcmp(record.info.macAddress, target, 6) == 0);
        }
        CheckRecord(record);
    }
    return 0;
}
