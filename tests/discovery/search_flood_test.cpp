// The search under floods: a pass reads a bounded share of a busy socket,
// a stop is noticed while acceptable replies keep coming, and a search in
// the lab finds every real device through a flood of junk and foreign
// datagrams, ends on time and gives its memory back.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "discovery/platform/net.h"
#include "discovery/replies.h"
#include "discovery/reply_intake.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "discovery/search.h"
#include "discovery/session.h"
#include "discovery/transport.h"
#include "kovr/kovr.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/guids.h"
#include "tests/support/lab.h"
#include "tests/support/timing.h"

using namespace kovr;
using kovr::test::Clock;
using kovr::test::Datagram;
using kovr::test::kLocatorGuid;
using kovr::test::MillisecondsSince;
using std::chrono::milliseconds;

namespace {

// Under a sanitizer, freed memory waits in a quarantine and shadow memory
// grows with all that is touched, so resident memory says little there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizedMemory = true;
#else
constexpr bool kSanitizedMemory = false;
#endif

Datagram ReplyFromDevice(uint32_t number)
{
    const uint8_t mac[kMacSize] = {0x02,
                                   0x00,
                                   static_cast<uint8_t>(number >> 24),
                                   static_cast<uint8_t>(number >> 16),
                                   static_cast<uint8_t>(number >> 8),
                                   static_cast<uint8_t>(number)};
    return ReplyWriter(kMagicLorx, kDiscoveryReply).Field(kTagMacAddress, mac, sizeof mac).Finish();
}

long ResidentKilobytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST(SearchIntake, ASynchronousSearchKeepsEachDevicesFirstReplyAndAnAsynchronousOneEvery)
{
    const SessionPointer session = DiscoverySession::Create(kMagicLorx, kLocatorGuid);
    ASSERT_NE(session, nullptr);
    for (const bool deduplicate : {true, false}) {
        ResultQueue results;
        QueuedDevices queued;
        const Intake intake{session->identity, results, deduplicate, queued};
        // A through one interface, then B, then A through another.
        for (const auto &[device, interfaceAddress] : {std::pair{0xA, 1u}, {0xB, 1u}, {0xA, 2u}}) {
            auto record = std::make_unique<ReplyRecord>();
            InitReplyRecord(session->identity, record.get());
            record->info.macAddress[5] = static_cast<uint8_t>(device);
            record->info.interfaceAddress = interfaceAddress;
            QueueReply(intake, std::move(record));
        }
        std::vector<std::pair<int, uint32_t>> queuedReplies;
        results.ForEach([&](const std::unique_ptr<ReplyRecord> &record) {
            queuedReplies.emplace_back(record->info.macAddress[5], record->info.interfaceAddress);
        });
        const std::vector<std::pair<int, uint32_t>> expected =
            deduplicate ? std::vector<std::pair<int, uint32_t>>{{0xA, 1}, {0xB, 1}}
                        : std::vector<std::pair<int, uint32_t>>{{0xA, 1}, {0xB, 1}, {0xA, 2}};
        EXPECT_EQ(queuedReplies, expected) << deduplicate;
    }
}

TEST(SearchPass, ReadsABoundedShareOfABusySocketAndLeavesTheRestForTheNextPass)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    const SessionPointer session = DiscoverySession::Create(kMagicLorx, kLocatorGuid);
    ASSERT_NE(session, nullptr);
    platform::Socket socket = platform::kInvalidSocket;
    ASSERT_EQ(OpenInterfaceSocket(session->transport, inet_addr("127.0.0.1"), &socket), platform::kNoError);
    platform::SetReceiveBufferSize(socket, 4 << 20);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length);
    const int sender = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const uint32_t sent = kMaxReadsPerPass + 100;
    for (uint32_t i = 1; i <= sent; ++i) {
        const Datagram reply = ReplyFromDevice(i);
        sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr *>(&local), sizeof local);
    }

    ResultQueue &results = session->search->results;
    QueuedDevices queued;
    const Intake intake{session->identity, results, true, queued};
    DrainSocket(intake, socket);
    EXPECT_EQ(results.Count(), kMaxReadsPerPass);
    bool readable = false;
    EXPECT_EQ(platform::WaitReadable(&socket, 1, 0, &readable), 1) << "the rest waits in the socket";
    DrainSocket(intake, socket);
    ASSERT_EQ(results.Count(), static_cast<int32_t>(sent)) << "nothing was lost between the passes";
    std::vector<uint8_t> lastOctets;
    results.ForEach([&lastOctets](const std::unique_ptr<ReplyRecord> &record) {
        lastOctets.push_back(record->info.macAddress[5]);
    });
    EXPECT_EQ(lastOctets.front(), 1);
    EXPECT_EQ(lastOctets.back(), static_cast<uint8_t>(sent));

    close(sender);
    platform::CloseSocket(socket);
}

// A device on lo that, once it has heard the request, sends one acceptable
// reply after another to the searching socket from several threads, so
// that the socket rarely if ever runs dry.
class ValidReplyFlood {
public:
    ValidReplyFlood()
        : device_([this](const Datagram &, const sockaddr_in &from) {
              std::lock_guard<std::mutex> lock(mutex_);
              searcher_ = from;
              return std::vector<Datagram>{};
          })
    {
        for (int i = 0; i < 2; ++i) {
            senders_.emplace_back([this] { Flood(); });
        }
    }
    ~ValidReplyFlood()
    {
        stop_ = true;
        for (std::thread &sender : senders_) {
            sender.join();
        }
    }
    long Sent() const { return sent_; }

private:
    void Flood()
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const Datagram reply = ReplyFromDevice(1);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!stop_ && Clock::now() < deadline) {
            sockaddr_in to{};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                to = searcher_;
            }
            // Nowhere to send until the request has been heard.
            if (to.sin_family != AF_INET) {
                std::this_thread::sleep_for(milliseconds(1));
                continue;
            }
            for (int burst = 0; burst < 64; ++burst) {
                if (sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to) > 0) {
                    ++sent_;
                }
            }
        }
        close(fd);
    }

    std::mutex mutex_;
    sockaddr_in searcher_{};
    std::atomic<bool> stop_{false};
    std::atomic<long> sent_{0};
    test::LoopbackDevice device_;
    std::vector<std::thread> senders_;
};

TEST(SearchStop, ASyncSearchEndsAtItsTotalLimitWhileAcceptableRepliesKeepComing)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    ValidReplyFlood flood;
    const auto start = Clock::now();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle, KOVR_INFINITE, 500), 1) << "one device, however often it answers";
    const long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 490);
    EXPECT_LT(elapsed, 500 + 400) << "the stop was noticed within a pass";
    EXPECT_GT(flood.Sent(), 1000) << "the flood ran";
    KOVRClose(handle);
}

// While 100 real devices answer over one second, kovr-sim floods the
// searching socket with 50,000 junk and foreign datagrams a second for two
// seconds: random bytes, and replies with another magic, the request's type,
// no MAC, each kind of malformed field, or oversize.
TEST(SearchUnderFlood, FindsEveryRealDeviceEndsOnTimeAndKeepsItsMemoryFlat)
{
    test::Lab lab(test::Topology::Single);
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    {
        // The first search makes what lives on: the worker's heap, the timer.
        test::Simulator one(lab, {{"devices", {test::DeviceJson(1)}}});
        ASSERT_EQ(KOVRStartSyncSearchEx(handle, 100, 2000), 1);
    }
    test::Simulator sim(lab, {{"devices", nlohmann::json::array()}},
                        {"--generate", "100", "--reply-window-ms", "1000", "--flood", "50000", "--flood-count",
                         "100000", "--flood-kind", "mixed", "--log-received-only"});
    const long residentBefore = ResidentKilobytes();
    const auto start = Clock::now();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle, 500, 5000), 100);
    const long elapsed = MillisecondsSince(start);
    const long grown = ResidentKilobytes() - residentBefore;
    std::string stats;
    sim.Stop(&stats);
    EXPECT_NE(stats.find("junk=100000 "), std::string::npos) << stats;
    EXPECT_LT(elapsed, 5000 + 300) << "the total limit holds";
    // 100 records take some 120 KiB; the junk must have been released.
    // AddressSanitizer's leak check stands in for this under the sanitizers.
    if (!kSanitizedMemory) {
        EXPECT_LT(grown, 1024) << "resident memory grew by " << grown << " KiB";
    }
    KOVRClose(handle);
}

} // namespace
