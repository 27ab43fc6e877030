#include "tools/kovr-sim/misbehaviour.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "discovery/reply_writer.h"

namespace kovr::sim {

const NameTable<Malformation, 6> kMalformationNames = {
    {"mac-length", Malformation::MacLength},     {"ip-length", Malformation::IpLength},
    {"nonce-length", Malformation::NonceLength}, {"integer-length", Malformation::IntegerLength},
    {"truncated", Malformation::Truncated},      {"overrun", Malformation::Overrun},
};

const NameTable<FloodKind, 3> kFloodKindNames = {
    {"random", FloodKind::Random}, {"foreign", FloodKind::Foreign}, {"mixed", FloodKind::Mixed}};

namespace {

// An unknown tag that receivers skip, used to pad oversize datagrams.
constexpr uint8_t kFillerTag = 200;
constexpr size_t kOversizeLength = kReceiveBufferSize + 144;
constexpr size_t kMaxJunkLength = 1500;

constexpr size_t kMalformedCount = std::size(kMalformationNames);
// Another magic, the request's type, no MAC, each malformation, oversize.
constexpr size_t kForeignVariants = 3 + kMalformedCount + 1;

// The ways a foreign datagram is spoilt, one per datagram in turn.
Misbehaviour Spoilt(size_t variant)
{
    Misbehaviour spoil;
    switch (variant) {
    case 0:
        spoil.wrongMagic = true;
        break;
    case 1:
        spoil.wrongType = true;
        break;
    case 2:
        spoil.omitMac = true;
        break;
    case 3 + kMalformedCount:
        spoil.oversize = true;
        break;
    default:
        spoil.malformation = kMalformationNames[variant - 3].second;
        break;
    }
    return spoil;
}

} // namespace

std::optional<NumberList> NumberList::Parse(const std::string &text)
{
    NumberList list;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        const size_t dash = item.find('-');
        const auto number = [](const std::string &digits) -> std::optional<uint64_t> {
            if (digits.empty() || digits.size() > 18 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                return std::nullopt;
            }
            const uint64_t value = std::stoull(digits);
            return value == 0 ? std::nullopt : std::optional<uint64_t>(value);
        };
        const std::optional<uint64_t> first = number(item.substr(0, dash));
        std::optional<uint64_t> last = first;
        if (dash != std::string::npos) {
            last = dash + 1 == item.size() ? std::optional<uint64_t>(UINT64_MAX) : number(item.substr(dash + 1));
        }
        if (!first || !last || *last < *first) {
            return std::nullopt;
        }
        list.ranges_.emplace_back(*first, *last);
        start = comma + 1;
    }
    return list;
}

bool NumberList::Contains(uint64_t number) const
{
    return std::any_of(ranges_.begin(), ranges_.end(),
                       [number](const auto &range) { return number >= range.first && number <= range.second; });
}

uint32_t Misbehaviour::ReplyMagic(uint32_t requestMagic) const
{
    if (!wrongMagic) {
        return requestMagic;
    }
    // Another session's magic is the most convincing wrong one.
    static const uint32_t kMagics[] = {KOVR_MAGIC_QUMA, KOVR_MAGIC_LORX, KOVR_MAGIC_TESK};
    for (size_t i = 0; i < 3; ++i) {
        if (kMagics[i] == requestMagic) {
            return kMagics[(i + 1) % 3];
        }
    }
    return KOVR_MAGIC_QUMA;
}

uint16_t Misbehaviour::ReplyType(uint16_t requestType) const
{
    // A wrong reply echoes the request's own type instead of the next one.
    return wrongType ? requestType : static_cast<uint16_t>(requestType + 1);
}

void Misbehaviour::Finish(std::vector<uint8_t> &datagram) const
{
    if (oversize) {
        const uint8_t filler[255] = {};
        while (datagram.size() < kOversizeLength) {
            const size_t length = std::min<size_t>(255, kOversizeLength - datagram.size());
            datagram.push_back(kFillerTag);
            datagram.push_back(static_cast<uint8_t>(length));
            datagram.insert(datagram.end(), filler, filler + length);
        }
    }
    if (malformation == Malformation::Overrun) {
        datagram.push_back(kTagDeviceName);
        datagram.push_back(200);
        datagram.push_back('x');
    }
    size_t payload = datagram.size() - kHeaderSize;
    if (malformation == Malformation::Truncated) {
        payload += 16;
    }
    payload = std::min<size_t>(payload, 0xffff);
    datagram[6] = static_cast<uint8_t>(payload >> 8);
    datagram[7] = static_cast<uint8_t>(payload);
}

JunkFlood::JunkFlood(double perSecond, uint64_t count, std::optional<sockaddr_in> target, FloodKind kind,
                     Clock::time_point now)
    : perSecond_(perSecond), count_(count), followRequester_(!target.has_value()), target_(target), kind_(kind),
      start_(now)
{}

void JunkFlood::NoteRequester(const sockaddr_in &peer, const uint8_t *data, size_t length, Clock::time_point now)
{
    DatagramHeader header;
    if (ReadHeader(data, length, &header)) {
        magic_ = header.magic;
    }
    if (!followRequester_) {
        return;
    }
    if (!target_.has_value()) {
        start_ = now;
    }
    target_ = peer;
}

uint64_t JunkFlood::Due(Clock::time_point now) const
{
    if (!Active()) {
        return 0;
    }
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const uint64_t due = std::min<uint64_t>(count_, static_cast<uint64_t>(elapsed * perSecond_) + 1);
    return due > sent_ ? due - sent_ : 0;
}

Clock::time_point JunkFlood::NextDue() const
{
    return start_ + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(static_cast<double>(sent_) / perSecond_));
}

std::vector<uint8_t> JunkFlood::Next(std::mt19937_64 &random)
{
    const uint64_t number = sent_++;
    switch (kind_) {
    case FloodKind::Random:
        return RandomBytes(random);
    case FloodKind::Foreign:
        return Foreign(number % kForeignVariants);
    case FloodKind::Mixed:
        break;
    }
    const uint64_t variant = number % (kForeignVariants + 1);
    return variant == kForeignVariants ? RandomBytes(random) : Foreign(variant);
}

std::vector<uint8_t> JunkFlood::RandomBytes(std::mt19937_64 &random) const
{
    std::uniform_int_distribution<size_t> length(1, kMaxJunkLength);
    std::vector<uint8_t> junk(length(random));
    // Eight random bytes per draw: a flood of tens of thousands a second
    // must not be held up making them.
    for (size_t i = 0; i < junk.size(); i += 8) {
        const uint64_t bits = random();
        std::memcpy(junk.data() + i, &bits, std::min<size_t>(8, junk.size() - i));
    }
    return junk;
}

// A discovery reply of a device that isn't there, spoilt in one way. It
// carries no field that could make a malformed one count as well-formed.
std::vector<uint8_t> JunkFlood::Foreign(size_t variant) const
{
    const Misbehaviour spoil = Spoilt(variant);
    const uint8_t mac[kMacSize] = {0x02,
                                   0xee,
                                   static_cast<uint8_t>(sent_ >> 24),
                                   static_cast<uint8_t>(sent_ >> 16),
                                   static_cast<uint8_t>(sent_ >> 8),
                                   static_cast<uint8_t>(sent_)};
    const uint8_t zeros[kNonceSize] = {};
    ReplyWriter writer(spoil.ReplyMagic(magic_), spoil.ReplyType(kDiscoveryRequest));
    if (!spoil.omitMac) {
        writer.Field(kTagMacAddress, mac, spoil.malformation == Malformation::MacLength ? 4 : kMacSize);
    }
    writer.Field(kTagIpAddress, zeros, spoil.malformation == Malformation::IpLength ? 3 : 4);
    writer.Uint(kTagDhcpMode, 0, spoil.malformation == Malformation::IntegerLength ? 3 : 1);
    writer.Text(kTagDeviceName, "flood");
    if (spoil.malformation == Malformation::NonceLength) {
        writer.Field(kTagAuthNonce, zeros, kNonceSize - 1);
    }
    std::vector<uint8_t> bytes = writer.Finish();
    spoil.Finish(bytes);
    return bytes;
}

} // namespace kovr::sim
