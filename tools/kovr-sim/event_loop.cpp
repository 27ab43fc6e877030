#include "tools/kovr-sim/event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kovr::sim {
namespace {

// Large enough for any UDP datagram, so that oversize ones are logged whole.
constexpr size_t kReceiveCapacity = 65536;
// Requests read per wake-up before due replies get their turn.
constexpr int kReceiveBatch = 256;
constexpr auto kNoBuffersPause = std::chrono::milliseconds(1);
const std::string kUnknownInterface = "?";

} // namespace

EventLoop::EventLoop(UdpEndpoint &endpoint, Responder &responder, DatagramLog &log,
                     std::vector<NetworkInterface> interfaces, JunkFlood flood, bool logSent)
    : endpoint_(endpoint), responder_(responder), log_(log), interfaces_(std::move(interfaces)), flood_(flood),
      logSent_(logSent)
{}

void EventLoop::Run()
{
    for (;;) {
        const Clock::time_point now = Clock::now();
        pollfd fds[2] = {
            {signals_.fd(), POLLIN, 0},
            {endpoint_.fd(), static_cast<short>(POLLIN | (waitWritable_ ? POLLOUT : 0)), 0},
        };
        const int ready = poll(fds, 2, WaitMilliseconds(now));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        }
        if (fds[0].revents & POLLIN) {
            signals_.Consume();
            return;
        }
        if (fds[1].revents & POLLOUT) {
            waitWritable_ = false;
        }
        if (fds[1].revents & POLLIN) {
            ReceiveBatch(Clock::now());
        }
        SendDue(Clock::now());
        SendJunk(Clock::now());
    }
}

int EventLoop::WaitMilliseconds(Clock::time_point now) const
{
    Clock::time_point wake = Clock::time_point::max();
    if (!heap_.empty() && !waitWritable_) {
        wake = std::max(heap_.front().reply.due, retryAt_);
    }
    if (flood_.Active()) {
        wake = std::min(wake, flood_.NextDue());
    }
    if (wake == Clock::time_point::max()) {
        return -1;
    }
    if (wake <= now) {
        return 0;
    }
    // Round up, so that the wake-up never comes before the reply is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
    return static_cast<int>(std::min<int64_t>(wait, 60000));
}

void EventLoop::ReceiveBatch(Clock::time_point now)
{
    static uint8_t buffer[kReceiveCapacity];
    std::vector<Outgoing> replies;
    for (int i = 0; i < kReceiveBatch; ++i) {
        Received received;
        if (!endpoint_.Receive(buffer, sizeof buffer, &received)) {
            break;
        }
        ++stats_.received;
        Arrival arrival{received.peer, received.ifindex, now};
        replies.clear();
        const Handled handled = responder_.Handle(buffer, received.length, arrival, &replies);
        std::string device;
        if (handled.device >= 0) {
            device = FormatMac(responder_.devices()[handled.device].mac);
        }
        log_.Write("in", buffer, received.length, received.peer, InterfaceName(received.ifindex), device, handled.note);
        flood_.NoteRequester(received.peer, buffer, received.length, now);
        for (Outgoing &reply : replies) {
            Schedule(std::move(reply));
        }
    }
}

void EventLoop::Schedule(Outgoing reply)
{
    heap_.push_back(Scheduled{std::move(reply), nextSequence_++, false});
    std::push_heap(heap_.begin(), heap_.end(), Later());
}

void EventLoop::SendDue(Clock::time_point now)
{
    while (!heap_.empty() && !waitWritable_ && now >= retryAt_ && heap_.front().reply.due <= now) {
        Scheduled &next = heap_.front();
        // Logged before it leaves, so that a reader who has the reply in
        // hand also finds it in the log.
        if (!next.logged && logSent_) {
            const std::string device =
                next.reply.device >= 0 ? FormatMac(responder_.devices()[next.reply.device].mac) : std::string();
            log_.Write("out", next.reply.bytes.data(), next.reply.bytes.size(), next.reply.peer,
                       InterfaceName(next.reply.ifindex), device, "");
            next.logged = true;
        }
        const Outcome outcome =
            Transmit(next.reply.bytes.data(), next.reply.bytes.size(), next.reply.peer, next.reply.ifindex, now);
        if (outcome == Outcome::Retry) {
            return;
        }
        stats_.repliesSent += outcome == Outcome::Sent ? 1 : 0;
        std::pop_heap(heap_.begin(), heap_.end(), Later());
        heap_.pop_back();
    }
}

// A datagram that can't be sent at all is counted as lost and reported.
EventLoop::Outcome EventLoop::Transmit(const uint8_t *data, size_t length, const sockaddr_in &to, int ifindex,
                                       Clock::time_point now)
{
    switch (endpoint_.Send(data, length, to, ifindex)) {
    case SendStatus::Sent:
        return Outcome::Sent;
    case SendStatus::WouldBlock:
        ++stats_.retried;
        waitWritable_ = true;
        return Outcome::Retry;
    case SendStatus::NoBuffers:
        // No POLLOUT follows ENOBUFS; try again after a short pause.
        ++stats_.retried;
        retryAt_ = now + kNoBuffersPause;
        return Outcome::Retry;
    case SendStatus::Failed:
        ++stats_.lost;
        std::fprintf(stderr, "kovr-sim: datagram to %s lost: %s\n", FormatPeer(to).c_str(), std::strerror(errno));
        return Outcome::Lost;
    }
    return Outcome::Lost;
}

void EventLoop::SendJunk(Clock::time_point now)
{
    for (uint64_t due = flood_.Due(now); due > 0 && !waitWritable_ && now >= retryAt_; --due) {
        // Junk that finds the send queue full is skipped, not retried.
        std::vector<uint8_t> junk = flood_.Next(responder_.random());
        if (logSent_) {
            log_.Write("out", junk.data(), junk.size(), flood_.Target(), "", "", "junk");
        }
        if (Transmit(junk.data(), junk.size(), flood_.Target(), 0, now) == Outcome::Sent) {
            ++stats_.junkSent;
        }
    }
}

const std::string &EventLoop::InterfaceName(int ifindex) const
{
    for (const NetworkInterface &entry : interfaces_) {
        if (entry.index == ifindex) {
            return entry.name;
        }
    }
    return kUnknownInterface;
}

} // namespace kovr::sim
