#include "misbehaviour.h"

#include <algorithm>
#include <utility>

#include "wire_format.h"

namespace kovr::sim {
namespace {

const std::pair<const char *, Malformation> kMalformations[] = {
    {"mac-length", Malformation::MacLength},       {"ip-length", Malformation::IpLength},
    {"nonce-length", Malformation::NonceLength},   {"integer-length", Malformation::IntegerLength},
    {"truncated", Malformation::Truncated},        {"overrun", Malformation::Overrun},
};

// An unknown tag that receivers skip, used to pad oversize datagrams.
constexpr uint8_t kFillerTag = 200;
constexpr size_t kOversizeLength = kReceiveBufferSize + 144;
constexpr size_t kMaxJunkLength = 1500;

} // namespace

std::optional<Malformation> ParseMalformation(const std::string &name) {
    for (const auto &[text, kind] : kMalformations) {
        if (name == text) {
            return kind;
        }
    }
    return std::nullopt;
}

const std::vector<std::string> &MalformationNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const auto &entry : kMalformations) {
            out.push_back(entry.first);
        }
        return out;
    }();
    return names;
}

uint32_t Misbehaviour::ReplyMagic(uint32_t requestMagic) const {
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

uint16_t Misbehaviour::ReplyType(uint16_t requestType) const {
    // A wrong reply echoes the request's own type instead of the next one.
    return wrongType ? requestType : static_cast<uint16_t>(requestType + 1);
}

void Misbehaviour::Finish(std::vector<uint8_t> &datagram) const {
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

JunkFlood::JunkFlood(double perSecond, uint64_t count, std::optional<sockaddr_in> target, Clock::time_point now)
    : perSecond_(perSecond), count_(count), followRequester_(!target.has_value()), target_(target), start_(now) {}

void JunkFlood::NoteRequester(const sockaddr_in &peer, Clock::time_point now) {
    if (!followRequester_) {
        return;
    }
    if (!target_.has_value()) {
        start_ = now;
    }
    target_ = peer;
}

uint64_t JunkFlood::Due(Clock::time_point now) const {
    if (!Active()) {
        return 0;
    }
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const uint64_t due = std::min<uint64_t>(count_, static_cast<uint64_t>(elapsed * perSecond_) + 1);
    return due > sent_ ? due - sent_ : 0;
}

Clock::time_point JunkFlood::NextDue() const {
    return start_ + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(static_cast<double>(sent_) / perSecond_));
}

std::vector<uint8_t> JunkFlood::Next(std::mt19937_64 &random) {
    ++sent_;
    std::uniform_int_distribution<size_t> length(1, kMaxJunkLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> junk(length(random));
    for (uint8_t &b : junk) {
        b = static_cast<uint8_t>(byte(random));
    }
    return junk;
}

} // namespace kovr::sim
