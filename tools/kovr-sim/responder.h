// The device side of the protocol: turns one received datagram into the
// replies that the addressed devices send, and applies accepted commands.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/requests.h"
#include "discovery/wire_bytes.h"
#include "tools/kovr-sim/device.h"
#include "tools/kovr-sim/misbehaviour.h"

namespace kovr::sim {

struct Arrival {
    sockaddr_in peer{};
    int ifindex = 0;
    Clock::time_point now{};
};

struct Outgoing {
    Clock::time_point due{};
    std::vector<uint8_t> bytes;
    sockaddr_in peer{};
    int ifindex = 0;
    int device = -1;
};

// What a device answers to a command whose password or digest is wrong.
struct FailureReply {
    uint8_t resultCode = 1;
    uint8_t errorNumber = 13;
    std::string errorText = "Invalid password";
};

// What became of a received datagram, for the log.
struct Handled {
    int device = -1;  // the addressed device, when one was named
    std::string note; // "discovery", "all-devices", "accepted", "rejected", or why it was ignored
};

class Responder {
public:
    // Throws ConfigError when two devices share a MAC.
    Responder(std::vector<Device> devices, Misbehaviour misbehaviour, FailureReply failure,
              std::chrono::milliseconds replyWindow, uint64_t seed);

    Handled Handle(const uint8_t *data, size_t length, const Arrival &arrival, std::vector<Outgoing> *out);

    std::vector<Device> &devices() { return devices_; }
    std::mt19937_64 &random() { return random_; }

private:
    // A command request's parts, as read from the datagram.
    struct Command {
        const RequestLayout &layout;
        const uint8_t *fixed = nullptr; // the fixed fields, followed by the authLength byte
        uint8_t authLength = 0;
        const uint8_t *auth = nullptr;
    };

    // The device with this MAC when it would answer now; otherwise `why`
    // says why not (device -1 when no device has that MAC).
    Device *AddressedDevice(const uint8_t *target, uint32_t magic, const Arrival &arrival, Handled *why);
    // `fields` holds the request's payload.
    Handled HandleDiscovery(ByteReader &fields, uint32_t magic, const Arrival &arrival, std::vector<Outgoing> *out);
    Handled HandleCommand(ByteReader &fields, uint32_t magic, const RequestLayout &layout, const Arrival &arrival,
                          std::vector<Outgoing> *out);
    bool Verify(Device &device, const Command &command);
    // Carries out an accepted command; a reboot silences the device once its reply is due.
    void Apply(Device &device, const Command &command, Clock::time_point replyDue);
    std::vector<uint8_t> DiscoveryReply(Device &device, uint32_t magic, bool withChallenge);
    std::vector<uint8_t> CommandReply(const Device &device, uint32_t magic, uint16_t type, bool accepted);
    Clock::time_point ReplyTime(const Device &device, Clock::time_point base);
    void Queue(std::vector<uint8_t> bytes, Clock::time_point due, const Arrival &arrival, int device,
               std::vector<Outgoing> *out);

    std::vector<Device> devices_;
    std::unordered_map<uint64_t, int> byMac_;
    Misbehaviour misbehaviour_;
    FailureReply failure_;
    std::chrono::milliseconds replyWindow_;
    std::mt19937_64 random_;
    uint64_t requestsReceived_ = 0;
    uint64_t repliesMade_ = 0;
};

} // namespace kovr::sim
