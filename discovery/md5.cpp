#include "discovery/md5.h"

#include <cstring>

namespace kovr {

namespace {

// Per-step shift amounts, four per round.
constexpr uint8_t kShifts[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

// floor(abs(sin(i + 1)) * 2^32), the additive constants of RFC 1321.
constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

uint32_t RotateLeft(uint32_t value, unsigned bits)
{
    return (value << bits) | (value >> (32 - bits));
}

uint32_t LoadLittleEndian(const uint8_t *bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void StoreLittleEndian(uint32_t value, uint8_t *bytes)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, bitCount_(0), buffer_{} {}

void Md5::Update(const void *data, size_t length)
{
    const auto *input = static_cast<const uint8_t *>(data);
    size_t used = static_cast<size_t>((bitCount_ / 8) % 64);
    bitCount_ += static_cast<uint64_t>(length) * 8;

    if (used > 0) {
        const size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(buffer_ + used, input, take);
        used += take;
        input += take;
        length -= take;
        if (used < 64) {
            return;
        }
        Transform(buffer_);
    }
    for (; length >= 64; input += 64, length -= 64) {
        Transform(input);
    }
    if (length > 0) {
        std::memcpy(buffer_, input, length);
    }
}

void Md5::Final(uint8_t digest[kDigestSize])
{
    // Pad with 0x80 and zeros to 56 bytes mod 64, then the message length in
    // bits, little-endian; the length is taken before the padding is added.
    uint8_t lengthBytes[8];
    StoreLittleEndian(static_cast<uint32_t>(bitCount_), lengthBytes);
    StoreLittleEndian(static_cast<uint32_t>(bitCount_ >> 32), lengthBytes + 4);

    const size_t used = static_cast<size_t>((bitCount_ / 8) % 64);
    const size_t padding = used < 56 ? 56 - used : 120 - used;
    static constexpr uint8_t kPadding[64] = {0x80};
    Update(kPadding, padding);
    Update(lengthBytes, sizeof lengthBytes);

    for (int i = 0; i < 4; ++i) {
        StoreLittleEndian(state_[i], digest + 4 * i);
    }
    // Leave nothing of the message behind; the object can start a new digest.
    *this = Md5();
}

void Md5::Transform(const uint8_t block[64])
{
    uint32_t words[16];
    for (int i = 0; i < 16; ++i) {
        words[i] = LoadLittleEndian(block + 4 * i);
    }

    uint32_t a = state_[0];
    uint32_t b = state_[1];
    uint32_t c = state_[2];
    uint32_t d = state_[3];
    for (unsigned step = 0; step < 64; ++step) {
        uint32_t mix;
        unsigned word;
        switch (step / 16) {
        case 0:
            mix = (b & c) | (~b & d);
            word = step;
            break;
        case 1:
            mix = (d & b) | (~d & c);
            word = (5 * step + 1) % 16;
            break;
        case 2:
            mix = b ^ c ^ d;
            word = (3 * step + 5) % 16;
            break;
        default:
            mix = c ^ (b | ~d);
            word = (7 * step) % 16;
            break;
        }
        const uint32_t rotated = RotateLeft(a + mix + kSines[step] + words[word], kShifts[step]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

} // namespace kovr
