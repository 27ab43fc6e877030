// Device side, for the simulator, the tests, the benchmarks and the fuzzers:
// a reply is a header and fields. Not part of the shipped library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "discovery/wire_bytes.h"

namespace kovr {

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
    uint32_t magic_;
    uint16_t type_;
    std::vector<uint8_t> bytes_;
};

} // namespace kovr
