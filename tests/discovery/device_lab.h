// Small builders and readers of bytes for the device-command tests in the
// network lab.
#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/lab.h"

namespace kovr::test {

// The value of the first field with this tag in a reply, or empty.
inline Bytes FieldOf(const Bytes &reply, uint8_t tag)
{
    for (size_t at = 8; at + 2 <= reply.size(); at += 2 + reply[at + 1]) {
        if (reply[at] == tag && at + 2 + reply[at + 1] <= reply.size()) {
            return Bytes(reply.begin() + at + 2, reply.begin() + at + 2 + reply[at + 1]);
        }
    }
    return {};
}

inline void Append(Bytes &to, const Bytes &bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline Bytes AddressBytes(const char *dotted)
{
    const uint32_t address = inet_addr(dotted);
    const auto *p = reinterpret_cast<const uint8_t *>(&address);
    return Bytes(p, p + 4);
}

} // namespace kovr::test
