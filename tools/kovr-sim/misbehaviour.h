// Ways the simulator can break the device contract on purpose, so that the
// library's reliability can be tested against devices that get it wrong.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/kovr-sim/device.h"
#include "tools/kovr-sim/named_values.h"

namespace kovr::sim {

enum class Malformation {
    None,
    MacLength,     // the MAC field is 4 bytes long
    IpLength,      // the IP address field is 3 bytes long
    NonceLength,   // a 13-byte challenge field in every DiscoveryReply
    IntegerLength, // the DHCP mode (or result code) is a 3-byte integer
    Truncated,     // the header claims 16 more payload bytes than are sent
    Overrun,       // the last field's length runs past the end of the datagram
};

// Every malformation, by the name the command line gives it ("mac-length", ...).
extern const NameTable<Malformation, 6> kMalformationNames;

// Numbers counted from 1, as a list of single numbers and ranges: "1",
// "2-4", "5-" (5 and every later one), comma-separated.
class NumberList {
public:
    // nullopt when the text is not such a list.
    static std::optional<NumberList> Parse(const std::string &text);
    bool Contains(uint64_t number) const;
    bool empty() const { return ranges_.empty(); }

private:
    std::vector<std::pair<uint64_t, uint64_t>> ranges_; // first and last, inclusive
};

struct Misbehaviour {
    double dropFraction = 0.0;
    // Lost on the way, deterministically: the requests received with these
    // numbers are ignored, and the replies made with these numbers are
    // never sent (an answer-twice pair counts as one reply).
    NumberList ignoreRequests;
    NumberList dropReplies;
    bool answerTwice = false;
    bool wrongMagic = false;
    bool wrongType = false;
    bool omitMac = false;
    // Command replies without the result code field (which counts as success).
    bool omitResultCode = false;
    // Commands go unanswered and change nothing; discovery is answered as usual.
    bool ignoreCommands = false;
    Malformation malformation = Malformation::None;
    bool oversize = false;

    uint32_t ReplyMagic(uint32_t requestMagic) const;
    uint16_t ReplyType(uint16_t requestType) const;
    // Adjustments made after the fields are written.
    void Finish(std::vector<uint8_t> &datagram) const;
};

// What a flood sends: random bytes; foreign datagrams, discovery replies
// of a device that isn't there, each spoilt in one way (another magic, the
// request's type, no MAC, each malformation, oversize) in turn; or both in turn.
enum class FloodKind { Random, Foreign, Mixed };

extern const NameTable<FloodKind, 3> kFloodKindNames;

struct FloodConfig {
    double perSecond = 0; // no flood at 0
    uint64_t count = 1000;
    std::optional<sockaddr_in> target; // without one, whoever sent the latest datagram
    FloodKind kind = FloodKind::Random;
};

// Junk datagrams at a fixed rate, to a fixed address or to whoever sent the
// last request. Bounded by a count, so it always ends.
class JunkFlood {
public:
    JunkFlood() = default;
    // Without a target it floods whoever sends the next request.
    JunkFlood(double perSecond, uint64_t count, std::optional<sockaddr_in> target, FloodKind kind,
              Clock::time_point now);

    bool Active() const { return perSecond_ > 0 && sent_ < count_ && target_.has_value(); }
    // Foreign datagrams carry the magic of the latest datagram received.
    void NoteRequester(const sockaddr_in &peer, const uint8_t *data, size_t length, Clock::time_point now);
    const sockaddr_in &Target() const { return *target_; }
    // Datagrams that are due by `now` and not sent yet.
    uint64_t Due(Clock::time_point now) const;
    Clock::time_point NextDue() const;
    // The next junk datagram; counts it as sent.
    std::vector<uint8_t> Next(std::mt19937_64 &random);

private:
    std::vector<uint8_t> RandomBytes(std::mt19937_64 &random) const;
    std::vector<uint8_t> Foreign(size_t variant) const;

    double perSecond_ = 0;
    uint64_t count_ = 0;
    uint64_t sent_ = 0;
    bool followRequester_ = false;
    std::optional<sockaddr_in> target_;
    FloodKind kind_ = FloodKind::Random;
    uint32_t magic_ = KOVR_MAGIC_LORX;
    Clock::time_point start_{};
};

} // namespace kovr::sim
