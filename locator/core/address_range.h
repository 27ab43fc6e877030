// Addresses counted up from a first one, for configuring several devices
// with static settings at once.
#pragma once

#include "locator/core/texts.h"

#include <kovr/kovr.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kovr::locator {

// A static range for several devices: the first address, the subnet mask
// and the gateway they all get, in network byte order.
struct AddressRange {
    uint32_t first = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
};

// Why a range gives no addresses.
enum class RangeFault {
    MaskNotContiguous,
    FirstOutsideSubnet, // the first address is not a device address of its subnet
    TooFewAddresses,
};

struct RangeError {
    RangeFault fault;
    uint32_t lowest = 0;  // FirstOutsideSubnet: the device addresses of the subnet
    uint32_t highest = 0; // (network order)
    size_t free = 0;      // TooFewAddresses: the addresses there are, and the devices
    size_t needed = 0;

    // The sentence that says what to change.
    Message Text(const AddressRange &range) const;
};

// One address per device to configure (positions in `list`, in list order),
// counting up from the first address within its subnet. An address held by
// any other device of the list is skipped, and so are the gateway and the
// subnet's own and broadcast addresses; a device may keep its own.
struct RangeAssignment {
    std::vector<uint32_t> addresses;
    std::optional<RangeError> error;
};
RangeAssignment AssignAddresses(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                                const std::vector<size_t> &positions);

// The range the dialog suggests: the first device's subnet and gateway,
// from its own address on (a /24 when its mask is no mask).
AddressRange SuggestedRange(const KOVRDeviceInfoRecord &first);

} // namespace kovr::locator
