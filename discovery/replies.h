// The replies the library takes in: decoding one datagram into a
// ReplyRecord, and the rule that accepts it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "discovery/wire_bytes.h"
#include "kovr/kovr.h"

namespace kovr {

// statusFields bits of a ReplyRecord.
constexpr uint32_t kStatusResultCode = 0x1;
constexpr uint32_t kStatusErrorNumber = 0x2;
constexpr uint32_t kStatusErrorMessage = 0x4;

// One reply, parsed: the record that callers see, then the command status,
// which never leaves the library.
struct ReplyRecord {
    KOVRDeviceInfoRecord info;
    uint32_t statusFields;
    uint8_t resultCode;
    uint8_t errorNumber;
    char errorMessage[256];
};

void InitReplyRecord(const Identity &identity, ReplyRecord *record);

// Decodes one datagram of `length` received bytes. False for another magic or
// type (record untouched), a malformed field, or a payload that runs past the
// received bytes.
bool ParseReply(const Identity &identity, const uint8_t *data, size_t length, uint16_t expectedType,
                ReplyRecord *record);

// The acceptance rule short of the socket's own address: parsed, carries a
// MAC field, and the MAC matches the target unless the target is all devices.
bool AcceptReply(const Identity &identity, const uint8_t *data, size_t length, uint16_t expectedType,
                 const uint8_t target[kMacSize], ReplyRecord *record);

} // namespace kovr
