#include "locator/address_range.h"

#include "common/device_checks.h"
#include "locator/record_text.h"

#include <QCoreApplication>

#include <map>
#include <set>

namespace kovr::locator {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("kovr::locator::BatchDialog", text);
}

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

RangeAssignment AssignAddresses(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                                const std::vector<size_t> &positions)
{
    RangeAssignment result;
    if (!common::IsContiguousMask(range.mask)) {
        result.error = Tr("The subnet mask %1 is not contiguous: its ones must all come first, as in 255.255.255.0.")
                           .arg(FormatDottedAddress(range.mask));
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
    const QString subnet = QString::fromStdString(common::SubnetText(range.first, range.mask));
    if (first < lowest || first > highest) {
        result.error =
            Tr("%1 is not a device address in %2; choose a first address between %3 and %4.")
                .arg(FormatDottedAddress(range.first), subnet, FormatDottedAddress(NetworkOrderFromPacked(lowest)),
                     FormatDottedAddress(NetworkOrderFromPacked(highest)));
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
            result.error = Tr("From %1 to the end of %2 only %3 addresses are free, and %4 devices need one; "
                              "choose a lower first address or a wider subnet mask.")
                               .arg(FormatDottedAddress(range.first), subnet)
                               .arg(given.size())
                               .arg(positions.size());
            result.addresses.clear();
            return result;
        }
        given.insert(static_cast<uint32_t>(next));
        result.addresses.push_back(NetworkOrderFromPacked(static_cast<uint32_t>(next)));
        ++next;
    }
    return result;
}

} // namespace kovr::locator
