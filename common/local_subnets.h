// Which of this host's interface addresses are local subnets: one rule for
// `kovr check` and the locator's conflict marks, whatever each program lists
// the interfaces with, so that both judge a device alike.
#pragma once

#include "common/device_checks.h"

#include <cstdint>
#include <vector>

namespace kovr::common {

// One IPv4 address of one interface, as the system lists it.
struct InterfaceEntry {
    uint32_t address; // network order
    uint32_t mask;    // network order
    bool up;
    bool loopback;
};

// The subnets of the entries that devices answer through, in list order: an
// interface that is up, and an address that names it (not 0.0.0.0). Loopback
// never counts: no device is behind it on a real network, and in the lab's
// loopback mode, where the simulated devices are, their addresses are
// outside it by design, so each would be judged unreachable and told to move
// into 127.0.0.0/8. With no subnet left, no device is judged unreachable.
std::vector<LocalSubnet> LocalSubnetsOf(const std::vector<InterfaceEntry> &entries);

} // namespace kovr::common
