// A device stand-in on the loopback interface, for tests of the transport
// and the search that need no simulator: it joins the group on lo and
// answers every request it hears with whatever the test's responder returns.
// Only ever used inside the private namespace that every test runs in.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "tests/support/private_network.h"
#include "tests/support/process_resources.h"

namespace kovr::test {

using Datagram = std::vector<uint8_t>;

// Gives lo the extra addresses 127.0.0.2 to 127.0.0.(count + 1), so that the
// host has several local addresses. Refuses (returns false) outside a
// private network namespace.
bool AddLoopbackAddresses(int count);
bool RemoveLoopbackAddresses(int count);

// A DiscoveryReply from the device with this MAC (last byte `index`).
Datagram DiscoveryReplyFrom(uint32_t magic, uint8_t index);

class LoopbackDevice {
public:
    // Called on the device's thread for each request; `from` is the sender.
    using Responder = std::function<std::vector<Datagram>(const Datagram &request, const sockaddr_in &from)>;

    explicit LoopbackDevice(Responder responder);
    ~LoopbackDevice();
    LoopbackDevice(const LoopbackDevice &) = delete;
    LoopbackDevice &operator=(const LoopbackDevice &) = delete;

    int RequestsHeard() const { return requests_.load(); }
    // Sends a datagram to an address and port of the test's choosing.
    void SendTo(const Datagram &datagram, const sockaddr_in &to) const;

private:
    void Serve();

    Responder responder_;
    int socket_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// A responder that answers every request with the same replies; none for a
// device that stays silent.
inline LoopbackDevice::Responder Answering(std::vector<Datagram> replies = {})
{
    return [replies = std::move(replies)](const Datagram &, const sockaddr_in &) { return replies; };
}

} // namespace kovr::test
