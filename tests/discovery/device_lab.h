// Helpers for the device-command tests in the network lab: the simulator's
// datagram log, decoded, and small builders for expected bytes.
#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "netlab.h"

namespace kovr::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes FromHex(const std::string &hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

struct LoggedDatagram {
    Bytes bytes;
    std::string peer; // "address:port" of the host side
};

// The datagrams of one direction ("in" to the simulator, "out" from it) and
// one message type, in the order they were logged.
inline std::vector<LoggedDatagram> Logged(const netlab::Simulator &sim, const std::string &direction, uint16_t type)
{
    std::vector<LoggedDatagram> out;
    for (const nlohmann::json &line : sim.Log()) {
        if (line.value("direction", "") != direction) {
            continue;
        }
        Bytes bytes = FromHex(line.value("bytes", ""));
        if (bytes.size() >= 8 && ((bytes[4] << 8) | bytes[5]) == type) {
            out.push_back({bytes, line.value("peer", "")});
        }
    }
    return out;
}

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

inline nlohmann::json Devices(const std::vector<nlohmann::json> &entries)
{
    return {{"devices", entries}};
}

} // namespace kovr::testing
