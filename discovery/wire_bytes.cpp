#include "discovery/wire_bytes.h"

#include <cstring>

namespace kovr {

const uint8_t kAllDevices[kMacSize] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};

ByteWriter &ByteWriter::PutBig16(uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return PutBytes(bytes, sizeof bytes);
}

ByteWriter &ByteWriter::PutBig32(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return PutBytes(bytes, sizeof bytes);
}

ByteWriter &ByteWriter::PutBytes(const void *bytes, size_t length)
{
    if (!ok_ || capacity_ - length_ < length) {
        ok_ = false;
        return *this;
    }
    if (length > 0) {
        std::memcpy(data_ + length_, bytes, length);
    }
    length_ += length;
    return *this;
}

bool ByteReader::GetBytes(const uint8_t **bytes, size_t length)
{
    if (Remaining() < length) {
        return false;
    }
    *bytes = data_ + position_;
    position_ += length;
    return true;
}

bool ByteReader::Get8(uint8_t *value)
{
    const uint8_t *bytes = nullptr;
    if (!GetBytes(&bytes, 1)) {
        return false;
    }
    *value = bytes[0];
    return true;
}

bool ByteReader::GetBig16(uint16_t *value)
{
    const uint8_t *bytes = nullptr;
    if (!GetBytes(&bytes, 2)) {
        return false;
    }
    *value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    return true;
}

bool ByteReader::GetBig32(uint32_t *value)
{
    uint16_t high = 0;
    uint16_t low = 0;
    if (Remaining() < 4 || !GetBig16(&high) || !GetBig16(&low)) {
        return false;
    }
    *value = static_cast<uint32_t>(high) << 16 | low;
    return true;
}

bool IsAllDevices(const uint8_t mac[kMacSize])
{
    return std::memcmp(mac, kAllDevices, kMacSize) == 0;
}

void WriteHeader(uint8_t out[kHeaderSize], uint32_t magic, uint16_t type, uint16_t payloadLength)
{
    ByteWriter(out, kHeaderSize).PutBig32(magic).PutBig16(type).PutBig16(payloadLength);
}

bool ReadHeader(const uint8_t *data, size_t length, DatagramHeader *header)
{
    ByteReader reader(data, length);
    return reader.GetBig32(&header->magic) && reader.GetBig16(&header->type) && reader.GetBig16(&header->payloadLength);
}

void EncodeGuid(const KOVR_GUID &guid, uint8_t out[kGuidSize])
{
    ByteWriter(out, kGuidSize)
        .PutBig32(guid.Data1)
        .PutBig16(guid.Data2)
        .PutBig16(guid.Data3)
        .PutBytes(guid.Data4, sizeof guid.Data4);
}

KOVR_GUID DecodeGuid(const uint8_t in[kGuidSize])
{
    KOVR_GUID guid{};
    ByteReader reader(in, kGuidSize);
    const uint8_t *tail = nullptr;
    reader.GetBig32(&guid.Data1);
    reader.GetBig16(&guid.Data2);
    reader.GetBig16(&guid.Data3);
    reader.GetBytes(&tail, sizeof guid.Data4);
    std::memcpy(guid.Data4, tail, sizeof guid.Data4);
    return guid;
}

void EncodeVersionField(uint8_t out[kVersionFieldSize])
{
    ByteWriter(out, kVersionFieldSize).Put8(kTagVersion).Put8(2).PutBig16(kProtocolVersion);
}

void EncodeGuidField(const KOVR_GUID &guid, uint8_t out[kGuidFieldSize])
{
    out[0] = kTagGuid;
    out[1] = kGuidSize;
    EncodeGuid(guid, out + 2);
}

} // namespace kovr
