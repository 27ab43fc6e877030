#pragma once

#include <kovr/kovr.h>

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kovr::locator {

// A static range for several devices: the first address, the subnet mask
// and the gateway they all get, in network byte order.
struct AddressRange {
    uint32_t first = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
};

// One address per device to configure (positions in `list`, in list order),
// counting up from the first address within its subnet. An address held by
// any other device of the list is skipped, and so are the gateway and the
// subnet's own and broadcast addresses; a device may keep its own. On
// failure, no addresses and a message that says what to change.
struct RangeAssignment {
    std::vector<uint32_t> addresses;
    QString error;
};
RangeAssignment AssignAddresses(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                                const std::vector<size_t> &positions);

} // namespace kovr::locator
