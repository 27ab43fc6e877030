// The simulator's single thread: waits in poll() for requests, for the
// next reply that falls due, for room in the send queue, and for a signal.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/kovr-sim/datagram_log.h"
#include "tools/kovr-sim/misbehaviour.h"
#include "tools/kovr-sim/responder.h"
#include "tools/kovr-sim/signal_descriptor.h"
#include "tools/kovr-sim/udp_endpoint.h"

namespace kovr::sim {

struct LoopStats {
    uint64_t received = 0;
    uint64_t repliesSent = 0;
    uint64_t junkSent = 0;
    // Sends that found the socket queue full and were tried again later.
    uint64_t retried = 0;
    // Sends that failed for good (each is reported on stderr).
    uint64_t lost = 0;
};

class EventLoop {
public:
    // SIGINT and SIGTERM wait for the loop from here on.
    EventLoop(UdpEndpoint &endpoint, Responder &responder, DatagramLog &log, std::vector<NetworkInterface> interfaces,
              JunkFlood flood, bool logSent = true);

    // Runs until SIGINT or SIGTERM arrives.
    void Run();
    const LoopStats &stats() const { return stats_; }

private:
    struct Scheduled {
        Outgoing reply;
        uint64_t sequence;
        bool logged;
    };
    struct Later {
        bool operator()(const Scheduled &a, const Scheduled &b) const
        {
            return a.reply.due != b.reply.due ? a.reply.due > b.reply.due : a.sequence > b.sequence;
        }
    };
    enum class Outcome { Sent, Retry, Lost };

    void ReceiveBatch(Clock::time_point now);
    void SendDue(Clock::time_point now);
    void SendJunk(Clock::time_point now);
    Outcome Transmit(const uint8_t *data, size_t length, const sockaddr_in &to, int ifindex, Clock::time_point now);
    void Schedule(Outgoing reply);
    const std::string &InterfaceName(int ifindex) const;
    int WaitMilliseconds(Clock::time_point now) const;

    SignalDescriptor signals_;
    UdpEndpoint &endpoint_;
    Responder &responder_;
    DatagramLog &log_;
    std::vector<NetworkInterface> interfaces_;
    JunkFlood flood_;
    // Off for bursts and floods of thousands a second, which the log would slow down.
    bool logSent_;
    // A min-heap on (due, sequence): replies leave in due order, and in
    // arrival order when due together.
    std::vector<Scheduled> heap_;
    uint64_t nextSequence_ = 0;
    // The send queue was full: wait for POLLOUT (EAGAIN) or a moment (ENOBUFS).
    bool waitWritable_ = false;
    Clock::time_point retryAt_{};
    LoopStats stats_;
};

} // namespace kovr::sim
