// What the socket-driving fuzz targets share: the input split into
// datagrams, and the guard that keeps their traffic off the machine's own
// network (they run under tests/netlab/isolated, where only lo is up).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/private_network.h"

namespace kovr::test {

using Datagram = std::vector<uint8_t>;

inline void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Datagrams, each as a 2-byte big-endian length and that many bytes; a
// length that runs past the input takes what is left.
inline std::vector<Datagram> SplitDatagrams(const uint8_t *data, size_t size)
{
    std::vector<Datagram> datagrams;
    size_t at = 0;
    while (at + 2 <= size) {
        const size_t length = static_cast<size_t>(data[at] << 8 | data[at + 1]);
        at += 2;
        const size_t taken = length < size - at ? length : size - at;
        datagrams.emplace_back(data + at, data + at + taken);
        at += taken;
    }
    return datagrams;
}

// Stops the process unless it runs in a private network namespace, as
// tests/netlab/isolated provides.
inline void RequirePrivateNetwork()
{
    if (!InPrivateNamespace()) {
        std::fprintf(stderr, "fuzz: refusing to open sockets outside a private network namespace; "
                             "run under tests/netlab/isolated\n");
        std::exit(2);
    }
}

} // namespace kovr::test
