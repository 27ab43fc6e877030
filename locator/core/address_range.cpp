#include "locator/core/address_range.h"

#include "common/device_checks.h"
#include "locator/core/record_text.h"

#include <map>
#include <set>
#include <string>

namespace kovr::locator {

namespace {

// Who holds each address of the list now.
std::map<uint32_t, std::set<size_t>> Holders(const std::vector<KOVRDeviceInfoRecord> &list)
{
    std::map<uint32_t, std::set<size_t>> holders;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].ipAddress != 0) {
            holders[PackedFromNetworkOrder(list[i].ipAddress)].insert(i);
        }
    }
    return holders;
}

bool HeldByAnother(const std::map<uint32_t, std::set<size_t>> &holders, uint32_t address, size_t position)
{
    const auto found = holders.find(address);
    return found != holders.end() && (found->second.size() > 1 || found->second.count(position) == 0);
}

} // namespace

Message RangeError::Text(const AddressRange &range) const
{
    const std::string subnet = common::SubnetText(range.first, range.mask);
    switch (fault) {
    case RangeFault::MaskNotContiguous:
        return {TextId::RangeMaskNotContiguous, {FormatDottedAddress(range.mask)}};
    case RangeFault::FirstOutsideSubnet:
        return {TextId::RangeFirstOutsideSubnet,
                {FormatDottedAddress(range.first), subnet, FormatDottedAddress(lowest), FormatDottedAddress(highest)}};
    case RangeFault::TooFewAddresses:
        break;
    }
    return {TextId::RangeTooFewAddresses,
            {FormatDottedAddress(range.first), subnet, std::to_string(free), std::to_string(needed)}};
}

RangeAssignment AssignAddresses(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                                const std::vector<size_t> &positions)
{
    RangeAssignment result;
    if (!common::IsContiguousMask(range.mask)) {
        result.error = RangeError{RangeFault::MaskNotContiguous};
        return result;
    }
    const uint32_t mask = PackedFromNetworkOrder(range.mask);
    const uint32_t first = PackedFromNetworkOrder(range.first);
    const uint32_t gateway = PackedFromNetworkOrder(range.gateway);
    const uint32_t network = first & mask;
    const uint32_t broadcast = network | ~mask;
    // Below a /31, the subnet's first and last addresses name the subnet
    // and its broadcast, never a device.
    const bool hasEnds = broadcast - network >= 3;
    const uint32_t lowest = hasEnds ? network + 1 : network;
    const uint32_t highest = hasEnds ? broadcast - 1 : broadcast;
    if (first < lowest || first > highest) {
        result.error =
            RangeError{RangeFault::FirstOutsideSubnet, NetworkOrderFromPacked(lowest), NetworkOrderFromPacked(highest)};
        return result;
    }

    const auto holders = Holders(list);
    std::set<uint32_t> given;
    uint64_t next = first;
    for (size_t position : positions) {
        while (next <= highest && (next == gateway || given.count(static_cast<uint32_t>(next)) != 0 ||
                                   HeldByAnother(holders, static_cast<uint32_t>(next), position))) {
            ++next;
        }
        if (next > highest) {
            result.error = RangeError{RangeFault::TooFewAddresses, 0, 0, given.size(), positions.size()};
            result.addresses.clear();
            return result;
        }
        given.insert(static_cast<uint32_t>(next));
        result.addresses.push_back(NetworkOrderFromPacked(static_cast<uint32_t>(next)));
        ++next;
    }
    return result;
}

AddressRange SuggestedRange(const KOVRDeviceInfoRecord &first)
{
    const bool maskGood = common::IsContiguousMask(first.subnetMask);
    return {first.ipAddress, maskGood ? first.subnetMask : NetworkOrderFromPacked(0xFFFFFF00u), first.gatewayAddress};
}

} // namespace kovr::locator
