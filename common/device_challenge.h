// What a device's replies say about its challenge. A device that wants its
// password only as a digest sends a 14-byte challenge in its reply to a
// query for its own MAC; nothing on the wire tells its reply from another
// host's, so a reply without the challenge, for a device that offered one
// before, may come from someone impersonating it.
#pragma once

#include "common/mac_address_text.h"

#include <kovr/kovr.h>

#include <map>
#include <vector>

namespace kovr::common {

constexpr uint8_t kChallengeSize = 14;

// The reply carries a challenge of the size a digest is made over.
bool OffersChallenge(const KOVRDeviceInfoRecord &reply);

// Which replies to a query show the device itself: any, or, for a device
// whose password travels only as a digest, only one with a challenge (an
// impostor can copy everything else a reply holds).
enum class ReplyTrust { AnyReply, ChallengedReply };
bool Trusted(const KOVRDeviceInfoRecord &reply, ReplyTrust trust);

// Every reply of one search, device by device: which devices offered a
// challenge, and which answered both with and without one.
class ChallengeSightings {
public:
    void Add(const KOVRDeviceInfoRecord &reply);
    void Add(const std::vector<KOVRDeviceInfoRecord> &replies);
    std::vector<MacAddress> Offering() const;
    // In MAC order.
    std::vector<MacAddress> Conflicting() const;

private:
    struct Seen {
        bool with = false;
        bool without = false;
    };
    std::map<MacAddress, Seen> devices_;
};

} // namespace kovr::common
