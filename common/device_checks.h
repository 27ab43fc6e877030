// The configuration problems that a list of devices can show: shared
// addresses and names, devices this host can't reach, and settings that
// can't work. `kovr check` reports them and the locator marks them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/mac_address_text.h"
#include "kovr/kovr.h"

namespace kovr::common {

enum class ProblemKind {
    DuplicateAddress,
    Unreachable,
    GatewayOutsideSubnet,
    BadMask,
    Unconfigured,
    DuplicateName,
    ConflictingChallenge, // replies for one MAC with and without a challenge
};

enum class Severity { Error, Warning };

// Every kind, in the order above, for listing them all, found or not.
constexpr ProblemKind kProblemKinds[] = {
    ProblemKind::DuplicateAddress, ProblemKind::Unreachable,   ProblemKind::GatewayOutsideSubnet, ProblemKind::BadMask,
    ProblemKind::Unconfigured,     ProblemKind::DuplicateName, ProblemKind::ConflictingChallenge};

// A shared name is only a warning; every other kind stops a device working.
Severity SeverityOf(ProblemKind kind);

// A subnet of one of this host's interfaces, both values in network order.
struct LocalSubnet {
    uint32_t address;
    uint32_t mask;
};

struct Problem {
    ProblemKind kind;
    Severity severity;
    // Positions in the checked list, in list order.
    std::vector<size_t> devices;
    // The local interface the problem concerns (network order), or 0.
    uint32_t interfaceAddress;
    // One sentence: what is wrong, and what to do about it.
    std::string message;
};

// "duplicate-address", "unreachable", "gateway-outside-subnet", "bad-mask",
// "unconfigured", "duplicate-name", "conflicting-challenge".
const char *ProblemKindName(ProblemKind kind);
const char *SeverityName(Severity severity);

// A mask of one run of ones from the top bit, not 0 (network order).
bool IsContiguousMask(uint32_t mask);
// "10.77.1.0/24" for an address and a contiguous mask.
std::string SubnetText(uint32_t address, uint32_t mask);

// Every problem of the list, grouped by kind in the order of ProblemKind,
// and by device within a kind. A device is unreachable when its address
// lies outside the subnet of the interface it answered through, or, when
// that interface isn't among localSubnets, outside all of them. The listed
// devices whose MAC is among conflictingChallenges (ChallengeSightings of
// the search that found them) may have an impostor.
std::vector<Problem> CheckDevices(const std::vector<KOVRDeviceInfoRecord> &devices,
                                  const std::vector<LocalSubnet> &localSubnets,
                                  const std::vector<MacAddress> &conflictingChallenges = {});

} // namespace kovr::common
