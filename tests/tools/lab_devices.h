// Device files for kovr-sim and questions about its datagram log, shared by
// the end-to-end tests of kovr.
#pragma once

#include "netlab.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kovr::test {

inline nlohmann::json Devices(const std::vector<nlohmann::json> &entries)
{
    return {{"devices", entries}};
}

// How many datagrams the simulated devices have received.
inline size_t DatagramsReceived(const netlab::Simulator &simulator)
{
    size_t count = 0;
    for (const nlohmann::json &line : simulator.Log()) {
        if (line.value("direction", "") == "in") {
            ++count;
        }
    }
    return count;
}

} // namespace kovr::test
