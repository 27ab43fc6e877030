// The simulator's one UDP socket: bound to the protocol port, a member of
// the group on each chosen interface, and told on which interface each
// datagram arrived so that replies leave through the same one.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kovr::sim {

struct NetworkInterface {
    std::string name;
    int index = 0;
    uint32_t address = 0; // first IPv4 address, network order
};

struct SocketError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The named interfaces, or with no names every interface that is up, can
// multicast and has an IPv4 address. Throws SocketError for unknown names.
std::vector<NetworkInterface> ChooseInterfaces(const std::vector<std::string> &names);

struct Received {
    size_t length = 0;
    sockaddr_in peer{};
    int ifindex = 0;
};

enum class SendStatus { Sent, WouldBlock, NoBuffers, Failed };

class UdpEndpoint {
public:
    UdpEndpoint(const std::vector<NetworkInterface> &interfaces, uint32_t group, uint16_t port);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint &) = delete;
    UdpEndpoint &operator=(const UdpEndpoint &) = delete;

    int fd() const { return fd_; }
    // False when nothing is waiting. Datagrams longer than `capacity` are cut.
    bool Receive(uint8_t *buffer, size_t capacity, Received *received);
    // Sends through the given interface; errno is kept for Failed.
    SendStatus Send(const uint8_t *data, size_t length, const sockaddr_in &to, int ifindex);

private:
    int fd_ = -1;
};

std::string FormatPeer(const sockaddr_in &peer);
// "10.77.1.1:40000"; false when malformed.
bool ParsePeer(const std::string &text, sockaddr_in *peer);

} // namespace kovr::sim
