#include "common/device_checks.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "common/dhcp_mode.h"
#include "common/field_text.h"
#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

namespace kovr::common {

namespace {

// A network-order value as a number, most significant byte first.
uint32_t HostOrder(uint32_t networkOrder)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

bool Has(const KOVRDeviceInfoRecord &record, uint32_t field)
{
    return (record.presentFields & field) != 0;
}

bool SameSubnet(uint32_t a, uint32_t b, uint32_t mask)
{
    return (a & mask) == (b & mask);
}

std::string MacList(const std::vector<KOVRDeviceInfoRecord> &devices, const std::vector<size_t> &positions)
{
    std::string text;
    for (size_t position : positions) {
        text += (text.empty() ? "" : ", ") + FormatMac(devices[position].macAddress);
    }
    return text;
}

// Groups the positions of devices that share a key; only groups of two or more.
template <typename Key, typename KeyOf>
std::vector<std::vector<size_t>> SharedBy(const std::vector<KOVRDeviceInfoRecord> &devices, KeyOf keyOf)
{
    std::map<Key, std::vector<size_t>> groups;
    std::vector<Key> order;
    for (size_t i = 0; i < devices.size(); ++i) {
        Key key;
        if (!keyOf(devices[i], &key)) {
            continue;
        }
        auto &group = groups[key];
        if (group.empty()) {
            order.push_back(key);
        }
        group.push_back(i);
    }
    std::vector<std::vector<size_t>> shared;
    for (const Key &key : order) {
        if (groups[key].size() > 1) {
            shared.push_back(groups[key]);
        }
    }
    return shared;
}

const LocalSubnet *AnsweredThrough(const KOVRDeviceInfoRecord &record, const std::vector<LocalSubnet> &subnets)
{
    auto found = std::find_if(subnets.begin(), subnets.end(),
                              [&](const LocalSubnet &subnet) { return subnet.address == record.interfaceAddress; });
    return found == subnets.end() ? nullptr : &*found;
}

void CheckReachable(const std::vector<KOVRDeviceInfoRecord> &devices, const std::vector<LocalSubnet> &subnets,
                    std::vector<Problem> &problems)
{
    for (size_t i = 0; i < devices.size(); ++i) {
        const KOVRDeviceInfoRecord &record = devices[i];
        if (record.ipAddress == 0 || subnets.empty()) {
            continue;
        }
        const LocalSubnet *own = AnsweredThrough(record, subnets);
        const bool reachable = own != nullptr
                                   ? SameSubnet(record.ipAddress, own->address, own->mask)
                                   : std::any_of(subnets.begin(), subnets.end(), [&](const LocalSubnet &subnet) {
                                         return SameSubnet(record.ipAddress, subnet.address, subnet.mask);
                                     });
        if (reachable) {
            continue;
        }
        const LocalSubnet &target = own != nullptr ? *own : subnets.front();
        const std::string subnet = SubnetText(target.address, target.mask);
        problems.push_back({ProblemKind::Unreachable,
                            SeverityOf(ProblemKind::Unreachable),
                            {i},
                            target.address,
                            FormatIpv4(record.ipAddress) + " is outside " + subnet + ", the subnet of interface " +
                                FormatIpv4(target.address) + ", so this host can't reach it; move it into " + subnet +
                                "."});
    }
}

void CheckSettings(const std::vector<KOVRDeviceInfoRecord> &devices, std::vector<Problem> &problems)
{
    std::vector<Problem> gateways;
    std::vector<Problem> masks;
    std::vector<Problem> unconfigured;
    for (size_t i = 0; i < devices.size(); ++i) {
        const KOVRDeviceInfoRecord &record = devices[i];
        const bool maskKnown = Has(record, KOVR_FIELD_SUBNET_MASK);
        const bool maskGood = IsContiguousMask(record.subnetMask);
        if (record.ipAddress != 0 && maskKnown && maskGood && record.gatewayAddress != 0 &&
            !SameSubnet(record.gatewayAddress, record.ipAddress, record.subnetMask)) {
            gateways.push_back({ProblemKind::GatewayOutsideSubnet,
                                SeverityOf(ProblemKind::GatewayOutsideSubnet),
                                {i},
                                record.interfaceAddress,
                                "Gateway " + FormatIpv4(record.gatewayAddress) + " is outside the device's subnet " +
                                    SubnetText(record.ipAddress, record.subnetMask) + "; set a gateway inside it."});
        }
        // A mask means something only beside an address: a device without
        // one (waiting for a lease, or unconfigured) reports 0.
        if (record.ipAddress != 0 && maskKnown && !maskGood) {
            masks.push_back({ProblemKind::BadMask,
                             SeverityOf(ProblemKind::BadMask),
                             {i},
                             record.interfaceAddress,
                             "Subnet mask " + FormatIpv4(record.subnetMask) +
                                 " is not a contiguous prefix; set a mask such as 255.255.255.0."});
        }
        if (record.ipAddress == 0 && !IsDhcpOn(record)) {
            unconfigured.push_back({ProblemKind::Unconfigured,
                                    SeverityOf(ProblemKind::Unconfigured),
                                    {i},
                                    record.interfaceAddress,
                                    "The device has no IP address and DHCP is off; give it an address or turn "
                                    "DHCP on."});
        }
    }
    for (auto *kind : {&gateways, &masks, &unconfigured}) {
        problems.insert(problems.end(), kind->begin(), kind->end());
    }
}

} // namespace

const char *ProblemKindName(ProblemKind kind)
{
    switch (kind) {
    case ProblemKind::DuplicateAddress:
        return "duplicate-address";
    case ProblemKind::Unreachable:
        return "unreachable";
    case ProblemKind::GatewayOutsideSubnet:
        return "gateway-outside-subnet";
    case ProblemKind::BadMask:
        return "bad-mask";
    case ProblemKind::Unconfigured:
        return "unconfigured";
    case ProblemKind::DuplicateName:
        return "duplicate-name";
    case ProblemKind::ConflictingChallenge:
        return "conflicting-challenge";
    }
    return "";
}

Severity SeverityOf(ProblemKind kind)
{
    return kind == ProblemKind::DuplicateName ? Severity::Warning : Severity::Error;
}

const char *SeverityName(Severity severity)
{
    return severity == Severity::Warning ? "warning" : "error";
}

bool IsContiguousMask(uint32_t mask)
{
    const uint32_t host = HostOrder(mask);
    // The ones run from the top bit down: inverted, it is 2^k - 1.
    return host != 0 && ((~host + 1) & ~host) == 0;
}

std::string SubnetText(uint32_t address, uint32_t mask)
{
    const uint32_t host = HostOrder(mask);
    int bits = 0;
    while (bits < 32 && (host & (0x80000000u >> bits)) != 0) {
        ++bits;
    }
    return FormatIpv4(address & mask) + "/" + std::to_string(bits);
}

std::vector<Problem> CheckDevices(const std::vector<KOVRDeviceInfoRecord> &devices,
                                  const std::vector<LocalSubnet> &localSubnets,
                                  const std::vector<MacAddress> &conflictingChallenges)
{
    std::vector<Problem> problems;
    const auto addresses = SharedBy<uint32_t>(devices, [](const KOVRDeviceInfoRecord &record, uint32_t *key) {
        *key = record.ipAddress;
        return record.ipAddress != 0;
    });
    for (const auto &group : addresses) {
        problems.push_back({ProblemKind::DuplicateAddress, SeverityOf(ProblemKind::DuplicateAddress), group,
                            devices[group[0]].interfaceAddress,
                            FormatIpv4(devices[group[0]].ipAddress) + " is used by " + MacList(devices, group) +
                                "; give each device an address of its own."});
    }
    CheckReachable(devices, localSubnets, problems);
    CheckSettings(devices, problems);
    const auto names = SharedBy<std::string>(devices, [](const KOVRDeviceInfoRecord &record, std::string *key) {
        *key = FieldText(record.deviceName);
        return !key->empty();
    });
    for (const auto &group : names) {
        problems.push_back({ProblemKind::DuplicateName, SeverityOf(ProblemKind::DuplicateName), group, 0,
                            "The name \"" + FieldText(devices[group[0]].deviceName) + "\" is used by " +
                                MacList(devices, group) + "; give each device a name of its own."});
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        const bool conflicting =
            std::any_of(conflictingChallenges.begin(), conflictingChallenges.end(), [&](const MacAddress &mac) {
                return std::memcmp(mac.data(), devices[i].macAddress, mac.size()) == 0;
            });
        if (conflicting) {
            problems.push_back({ProblemKind::ConflictingChallenge,
                                SeverityOf(ProblemKind::ConflictingChallenge),
                                {i},
                                devices[i].interfaceAddress,
                                "Replies for this device disagree about its challenge, so another host on the "
                                "segment may be answering for it; find that host before sending the device a "
                                "password."});
        }
    }
    return problems;
}

} // namespace kovr::common
