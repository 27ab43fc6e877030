#include "tests/discovery/loopback_device.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "discovery/reply_writer.h"
#include "discovery/session.h"
#include "discovery/wire_bytes.h"

namespace kovr::test {

static bool ChangeLoopbackAddresses(const char *verb, int count)
{
    if (!InPrivateNamespace()) {
        return false;
    }
    FILE *batch = popen("ip -batch - 2>/dev/null", "w");
    if (batch == nullptr) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::fprintf(batch, "addr %s 127.0.0.%d/8 dev lo\n", verb, i + 2);
    }
    return pclose(batch) == 0;
}

bool AddLoopbackAddresses(int count)
{
    return ChangeLoopbackAddresses("add", count);
}

bool RemoveLoopbackAddresses(int count)
{
    return ChangeLoopbackAddresses("del", count);
}

Datagram DiscoveryReplyFrom(uint32_t magic, uint8_t index)
{
    const uint8_t mac[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, index};
    return ReplyWriter(magic, kDiscoveryReply)
        .Field(kTagMacAddress, mac, sizeof mac)
        .Address(kTagIpAddress, htonl(0x0A4D0100u | index))
        .Text(kTagDeviceName, "loopback")
        .Finish();
}

LoopbackDevice::LoopbackDevice(Responder responder) : responder_(std::move(responder))
{
    if (!InPrivateNamespace()) {
        throw std::runtime_error("refusing to open sockets in the machine's network namespace");
    }
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(2362); // written out, so that a wrong default in the library shows
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    ip_mreq membership{};
    membership.imr_multiaddr.s_addr = inet_addr("224.0.5.128");
    membership.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        setsockopt(socket_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0 ||
        pipe(wakePipe_) != 0) {
        throw std::runtime_error("loopback device: cannot open its socket");
    }
    thread_ = std::thread(&LoopbackDevice::Serve, this);
}

LoopbackDevice::~LoopbackDevice()
{
    const char wake = 0;
    [[maybe_unused]] ssize_t written = write(wakePipe_[1], &wake, 1);
    thread_.join();
    close(socket_);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
}

void LoopbackDevice::SendTo(const Datagram &datagram, const sockaddr_in &to) const
{
    sendto(socket_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

void LoopbackDevice::Serve()
{
    Datagram buffer(65536);
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            return;
        }
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t received = recvfrom(socket_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                    reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (received < 0) {
            continue;
        }
        ++requests_;
        for (const Datagram &reply : responder_(Datagram(buffer.begin(), buffer.begin() + received), from)) {
            SendTo(reply, from);
        }
    }
}

} // namespace kovr::test
