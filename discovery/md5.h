// MD5 message digest (RFC 1321), used for the device password challenge.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovr {

class Md5 {
public:
    static constexpr size_t kDigestSize = 16;

    Md5();
    void Update(const void *data, size_t length);
    void Final(uint8_t digest[kDigestSize]);

private:
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t bitCount_;
    uint8_t buffer_[64];
};

} // namespace kovr
