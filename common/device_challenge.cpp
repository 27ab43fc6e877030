#include "common/device_challenge.h"

#include <algorithm>

namespace kovr::common {

bool OffersChallenge(const KOVRDeviceInfoRecord &reply)
{
    return (reply.presentFields & KOVR_FIELD_NONCE) != 0 && reply.nonceLength == kChallengeSize;
}

bool Trusted(const KOVRDeviceInfoRecord &reply, ReplyTrust trust)
{
    return trust == ReplyTrust::AnyReply || OffersChallenge(reply);
}

void ChallengeSightings::Add(const KOVRDeviceInfoRecord &reply)
{
    MacAddress mac;
    std::copy(reply.macAddress, reply.macAddress + mac.size(), mac.begin());
    Seen &seen = devices_[mac];
    (OffersChallenge(reply) ? seen.with : seen.without) = true;
}

void ChallengeSightings::Add(const std::vector<KOVRDeviceInfoRecord> &replies)
{
    for (const KOVRDeviceInfoRecord &reply : replies) {
        Add(reply);
    }
}

std::vector<MacAddress> ChallengeSightings::Offering() const
{
    std::vector<MacAddress> macs;
    for (const auto &[mac, seen] : devices_) {
        if (seen.with) {
            macs.push_back(mac);
        }
    }
    return macs;
}

std::vector<MacAddress> ChallengeSightings::Conflicting() const
{
    std::vector<MacAddress> macs;
    for (const auto &[mac, seen] : devices_) {
        if (seen.with && seen.without) {
            macs.push_back(mac);
        }
    }
    return macs;
}

} // namespace kovr::common
