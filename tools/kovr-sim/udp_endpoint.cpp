#include "tools/kovr-sim/udp_endpoint.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/kovr-sim/device.h"

namespace kovr::sim {
namespace {

// Bursts of thousands of replies need room in the socket's send queue.
constexpr int kSendBufferBytes = 4 << 20;
constexpr int kReceiveBufferBytes = 4 << 20;

std::string Errno(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

void SetOption(int fd, int level, int name, const void *value, socklen_t length, const char *what)
{
    if (setsockopt(fd, level, name, value, length) != 0) {
        throw SocketError(Errno(what));
    }
}

void SetBuffer(int fd, int forceName, int name, int bytes)
{
    // Forcing beyond the system limit needs privileges; without them the
    // ordinary option still gives what the system allows.
    if (setsockopt(fd, SOL_SOCKET, forceName, &bytes, sizeof bytes) != 0) {
        setsockopt(fd, SOL_SOCKET, name, &bytes, sizeof bytes);
    }
}

} // namespace

std::vector<NetworkInterface> ChooseInterfaces(const std::vector<std::string> &names)
{
    struct ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        throw SocketError(Errno("getifaddrs"));
    }
    std::vector<NetworkInterface> all;
    std::vector<unsigned> flags;
    for (struct ifaddrs *it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        bool seen = false;
        for (const NetworkInterface &known : all) {
            seen = seen || known.name == it->ifa_name;
        }
        if (seen) {
            continue;
        }
        NetworkInterface entry;
        entry.name = it->ifa_name;
        entry.index = static_cast<int>(if_nametoindex(it->ifa_name));
        entry.address = reinterpret_cast<const sockaddr_in *>(it->ifa_addr)->sin_addr.s_addr;
        all.push_back(entry);
        flags.push_back(it->ifa_flags);
    }
    freeifaddrs(list);

    std::vector<NetworkInterface> chosen;
    if (names.empty()) {
        for (size_t i = 0; i < all.size(); ++i) {
            if ((flags[i] & IFF_UP) && (flags[i] & IFF_MULTICAST)) {
                chosen.push_back(all[i]);
            }
        }
        if (chosen.empty()) {
            throw SocketError("no interface is up with multicast and an IPv4 address");
        }
        return chosen;
    }
    for (const std::string &name : names) {
        bool found = false;
        for (size_t i = 0; i < all.size() && !found; ++i) {
            if (all[i].name == name) {
                if (!(flags[i] & IFF_UP) || !(flags[i] & IFF_MULTICAST)) {
                    throw SocketError("interface " + name + " is down or can't multicast (as root, 'ip link set " +
                                      name + " up multicast on' turns both on)");
                }
                chosen.push_back(all[i]);
                found = true;
            }
        }
        if (!found) {
            throw SocketError("no interface " + name + " with an IPv4 address");
        }
    }
    return chosen;
}

UdpEndpoint::UdpEndpoint(const std::vector<NetworkInterface> &interfaces, uint32_t group, uint16_t port)
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        throw SocketError(Errno("socket"));
    }
    try {
        const int on = 1;
        const int off = 0;
        // Several simulators may share a namespace and the port.
        SetOption(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on, "SO_REUSEADDR");
        SetOption(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on, "IP_PKTINFO");
        // Only the groups this socket joins, not every group of the host.
        SetOption(fd_, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off, "IP_MULTICAST_ALL");
        SetBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF, kSendBufferBytes);
        SetBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF, kReceiveBufferBytes);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        if (bind(fd_, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
            throw SocketError(Errno("bind to port " + std::to_string(port)));
        }
        for (const NetworkInterface &entry : interfaces) {
            ip_mreqn membership{};
            membership.imr_multiaddr.s_addr = group;
            membership.imr_ifindex = entry.index;
            SetOption(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership,
                      ("joining the group on " + entry.name).c_str());
        }
    } catch (...) {
        close(fd_);
        throw;
    }
}

UdpEndpoint::~UdpEndpoint()
{
    close(fd_);
}

bool UdpEndpoint::Receive(uint8_t *buffer, size_t capacity, Received *received)
{
    iovec io{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &received->peer;
    message.msg_namelen = sizeof received->peer;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = recvmsg(fd_, &message, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return false;
    }
    received->length = static_cast<size_t>(n) < capacity ? static_cast<size_t>(n) : capacity;
    received->ifindex = 0;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            received->ifindex = info.ipi_ifindex;
        }
    }
    return true;
}

SendStatus UdpEndpoint::Send(const uint8_t *data, size_t length, const sockaddr_in &to, int ifindex)
{
    iovec io{const_cast<uint8_t *>(data), length};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in *>(&to);
    message.msg_namelen = sizeof to;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    if (ifindex > 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = ifindex;
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
    ssize_t n;
    do {
        n = sendmsg(fd_, &message, 0);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) {
        return SendStatus::Sent;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return SendStatus::WouldBlock;
    }
    if (errno == ENOBUFS) {
        return SendStatus::NoBuffers;
    }
    return SendStatus::Failed;
}

std::string FormatPeer(const sockaddr_in &peer)
{
    return FormatIpv4(peer.sin_addr.s_addr) + ":" + std::to_string(ntohs(peer.sin_port));
}

bool ParsePeer(const std::string &text, sockaddr_in *peer)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::optional<uint32_t> address = common::ParseIpv4(std::string_view(text).substr(0, colon));
    if (!address) {
        return false;
    }
    const std::string portText = text.substr(colon + 1);
    if (portText.empty() || portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long port = std::stoul(portText);
    if (port == 0 || port > 65535) {
        return false;
    }
    *peer = sockaddr_in{};
    peer->sin_family = AF_INET;
    peer->sin_addr.s_addr = *address;
    peer->sin_port = htons(static_cast<uint16_t>(port));
    return true;
}

} // namespace kovr::sim
