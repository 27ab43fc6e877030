#include "discovery/reply_writer.h"

#include <cstring>
#include <stdexcept>

namespace kovr {

ReplyWriter::ReplyWriter(uint32_t magic, uint16_t type) : magic_(magic), type_(type), bytes_(kHeaderSize) {}

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
    WriteHeader(bytes_.data(), magic_, type_, static_cast<uint16_t>(payload > 0xffff ? 0xffff : payload));
    return bytes_;
}

} // namespace kovr
