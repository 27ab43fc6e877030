#include "discovery/md5.h"

#include "tests/support/hex.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kovr {
namespace {

using test::Hex;

std::string DigestOf(const void *data, size_t length)
{
    Md5 md5;
    md5.Update(data, length);
    uint8_t digest[Md5::kDigestSize];
    md5.Final(digest);
    return Hex(digest, sizeof digest);
}

std::string DigestOf(const std::string &text)
{
    return DigestOf(text.data(), text.size());
}

TEST(Md5Test, Rfc1321TestSuite)
{
    EXPECT_EQ(DigestOf(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(DigestOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(DigestOf("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Test, PiecewiseUpdatesMatchOneUpdate)
{
    // Lengths around the 55/56/64-byte padding boundaries, fed in uneven pieces.
    std::vector<uint8_t> data(200);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    for (size_t length : {55, 56, 57, 63, 64, 65, 119, 120, 128, 200}) {
        Md5 pieces;
        for (size_t offset = 0, step = 1; offset < length; offset += step, step = step * 2 + 1) {
            pieces.Update(data.data() + offset, std::min(step, length - offset));
        }
        uint8_t digest[Md5::kDigestSize];
        pieces.Final(digest);
        EXPECT_EQ(Hex(digest, sizeof digest), DigestOf(data.data(), length)) << length;
    }
}

TEST(Md5Test, FinalStartsAFreshDigest)
{
    Md5 md5;
    uint8_t digest[Md5::kDigestSize];
    md5.Update("something else", 14);
    md5.Final(digest);
    md5.Update("abc", 3);
    md5.Final(digest);
    EXPECT_EQ(Hex(digest, sizeof digest), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5Test, MillionBytesAgreeWithMd5sum)
{
    std::vector<uint8_t> data(1000000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i % 251);
    }
    char path[] = "/tmp/kovr-md5-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fd);

    const std::string command = std::string("md5sum ") + path;
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = pclose(pipe);
    unlink(path);
    ASSERT_TRUE(read);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(DigestOf(data.data(), data.size()), std::string(line, 32));
}

} // namespace
} // namespace kovr
