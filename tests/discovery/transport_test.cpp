// The multicast transport on the loopback interface of the test's private
// namespace: local address rules, socket sets, receiving and accepting
// replies, and the single-socket exchange.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "discovery/platform/fault_injection.h"
#include "discovery/reply_writer.h"
#include "discovery/session.h"
#include "discovery/transport.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/guids.h"
#include "tests/support/timing.h"

using namespace kovr;
using kovr::platform::ArmFault;
using kovr::platform::Fault;
using kovr::platform::InterfaceAddress;
using kovr::test::Datagram;
using kovr::test::kLocatorGuid;

namespace {

uint32_t Address(const char *dotted)
{
    return inet_addr(dotted);
}

// The transport with a session's own identity and settings.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::InPrivateNamespace());
        session_ = DiscoverySession::Create(kMagicLorx, kLocatorGuid);
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override { platform::DisarmAllFaults(); }

    const Identity &identity() const { return session_->identity; }
    TransportSettings &settings() const { return session_->transport; }
    platform::Socket OpenSocket(uint32_t address) const
    {
        platform::Socket socket = platform::kInvalidSocket;
        const platform::SystemError error = OpenInterfaceSocket(settings(), address, &socket);
        EXPECT_EQ(error == platform::kNoError, socket != platform::kInvalidSocket);
        return socket;
    }

    SessionPointer session_;
};

TEST(LocalAddressRule, KeepsUpInterfacesInOrderOnceEachAndLoopbackOnlyAlone)
{
    std::vector<uint32_t> list = {Address("192.0.2.99")}; // emptied first
    const std::vector<InterfaceAddress> mixed = {
        {Address("127.0.0.1"), true, true},    {Address("10.0.0.1"), true, false}, {Address("10.0.0.2"), false, false},
        {Address("192.168.1.5"), true, false}, {Address("10.0.0.1"), true, false}, {0, true, false},
    };
    FillLocalAddressList(&list, mixed);
    EXPECT_EQ(list, (std::vector<uint32_t>{Address("10.0.0.1"), Address("192.168.1.5")}));

    const std::vector<InterfaceAddress> loopbackOnly = {
        {Address("127.0.0.1"), true, true}, {Address("10.0.0.2"), false, false}, {Address("127.0.0.2"), true, true}};
    FillLocalAddressList(&list, loopbackOnly);
    EXPECT_EQ(list, (std::vector<uint32_t>{Address("127.0.0.1"), Address("127.0.0.2")}));

    FillLocalAddressList(&list, {{Address("10.0.0.2"), false, false}});
    EXPECT_TRUE(list.empty());

    // An interface without multicast can't carry a request, loopback neither.
    InterfaceAddress unicastOnly{Address("10.0.0.3"), true, false};
    unicastOnly.multicast = false;
    InterfaceAddress quietLoopback{Address("127.0.0.1"), true, true};
    quietLoopback.multicast = false;
    FillLocalAddressList(&list, {unicastOnly, quietLoopback});
    EXPECT_TRUE(list.empty());
}

TEST(LocalAddressRule, PrivateNamespaceWithOnlyLoopbackYieldsLoopback)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    std::vector<uint32_t> list;
    EXPECT_EQ(EnumerateLocalAddresses(&list), platform::kNoError);
    EXPECT_EQ(list, std::vector<uint32_t>{Address("127.0.0.1")});
}

TEST(PollInterval, IsRoundedUpToWholeMillisecondsAndNeverZero)
{
    using std::chrono::microseconds;
    EXPECT_EQ(PollMilliseconds(microseconds(200000)), 200);
    EXPECT_EQ(PollMilliseconds(std::chrono::seconds(2)), 2000);
    EXPECT_EQ(PollMilliseconds(microseconds(1500)), 2);
    EXPECT_EQ(PollMilliseconds(microseconds(1)), 1) << "a sub-millisecond wait must not become 0";
    EXPECT_EQ(PollMilliseconds(microseconds(0)), 1);
}

// A fresh session sends to the devices' group and port, and gives a device
// five seconds to answer a query.
TEST(SessionDefaults, AQueryReachesTheGroupAndWaitsFiveSeconds)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    test::LoopbackDevice device(test::Answering());
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    const uint8_t absent[kMacSize] = {2, 0, 0, 0, 0, 0x33};
    KOVRDeviceInfoRecord record{};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(KOVRGetDeviceInfo(handle, absent, &record), -2);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(4990));
    EXPECT_LT(elapsed, std::chrono::milliseconds(5000 + 200 + 500)) << "one poll interval past the limit at most";
    EXPECT_EQ(device.RequestsHeard(), 1);
    KOVRClose(handle);
}

// Replies sent straight to a transport socket bound to 127.0.0.1.
class ReceiveReplyTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        socket_ = OpenSocket(Address("127.0.0.1"));
        ASSERT_NE(socket_, platform::kInvalidSocket);
        socklen_t length = sizeof local_;
        getsockname(socket_, reinterpret_cast<sockaddr *>(&local_), &length);
        sender_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    }
    void TearDown() override
    {
        platform::CloseSocket(socket_);
        close(sender_);
        SessionTest::TearDown();
    }
    // Sends and gives the kernel a moment to deliver on loopback.
    void Send(const Datagram &datagram)
    {
        sendto(sender_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr *>(&local_),
               sizeof local_);
        bool readable = false;
        platform::WaitReadable(&socket_, 1, 1000, &readable);
    }
    int32_t Receive(const uint8_t *target = kAllDevices)
    {
        InitReplyRecord(identity(), &record_);
        return ReceiveReply(identity(), socket_, kDiscoveryReply, target, &record_) ? 0 : -1;
    }
    // A reply of exactly `size` bytes: the MAC field, then skipped fields.
    Datagram ReplyOfSize(size_t size)
    {
        const uint8_t mac[kMacSize] = {2, 0, 0, 0, 0, 7};
        ReplyWriter writer(kMagicLorx, kDiscoveryReply);
        writer.Field(kTagMacAddress, mac, sizeof mac);
        size_t left = size - kHeaderSize - 8;
        const uint8_t filler[255] = {};
        while (left > 0) {
            const size_t value = std::min<size_t>(left - 2, 255);
            writer.Field(5, filler, value);
            left -= value + 2;
        }
        return writer.Finish();
    }

    platform::Socket socket_ = platform::kInvalidSocket;
    sockaddr_in local_{};
    int sender_ = -1;
    ReplyRecord record_{};
};

TEST_F(ReceiveReplyTest, AcceptsAReplyAndStampsTheReceivingAddress)
{
    Send(test::DiscoveryReplyFrom(kMagicLorx, 9));
    ASSERT_EQ(Receive(), 0);
    EXPECT_EQ(record_.info.macAddress[5], 9);
    EXPECT_EQ(record_.info.interfaceAddress, Address("127.0.0.1"));
    EXPECT_EQ(Receive(), -1) << "nothing is waiting any more";
}

TEST_F(ReceiveReplyTest, DropsWhatIsNotAReplyToTheRequest)
{
    const uint8_t target[kMacSize] = {2, 0, 0, 0, 0, 9};
    Send(test::DiscoveryReplyFrom(kMagicQuma, 9));
    EXPECT_EQ(Receive(), -1) << "another magic";
    Send(ReplyWriter(kMagicLorx, kRebootReply).Field(kTagMacAddress, target, kMacSize).Finish());
    EXPECT_EQ(Receive(), -1) << "another type";
    Send(ReplyWriter(kMagicLorx, kDiscoveryReply).Text(kTagDeviceName, "no mac").Finish());
    EXPECT_EQ(Receive(), -1) << "no MAC field";
    Send(test::DiscoveryReplyFrom(kMagicLorx, 8));
    EXPECT_EQ(Receive(target), -1) << "another device";
    Send(Datagram{});
    EXPECT_EQ(Receive(), -1) << "empty datagram";
    Send(test::DiscoveryReplyFrom(kMagicLorx, 9));
    EXPECT_EQ(Receive(target), 0);
}

TEST_F(ReceiveReplyTest, TakesA1456ByteDatagramAndDropsA1457ByteOne)
{
    Send(ReplyOfSize(1456));
    EXPECT_EQ(Receive(), 0);
    Send(ReplyOfSize(1457));
    EXPECT_EQ(Receive(), -1);
}

// A device behind a router is reached only if the datagram may cross it.
TEST_F(SessionTest, SocketsCarryTheSessionsMulticastTtl)
{
    const platform::Socket socket = OpenSocket(Address("127.0.0.1"));
    ASSERT_NE(socket, platform::kInvalidSocket);
    int ttl = 0;
    socklen_t length = sizeof ttl;
    ASSERT_EQ(getsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, &length), 0);
    EXPECT_EQ(ttl, 64);
    platform::CloseSocket(socket);
}

TEST_F(SessionTest, EachFailingStepOfASocketOpenClosesIt)
{
    const int before = test::OpenDescriptorCount();
    for (Fault fault : {Fault::SocketCreate, Fault::SocketBind, Fault::SocketOption}) {
        ArmFault(fault, 1);
        EXPECT_EQ(OpenSocket(Address("127.0.0.1")), platform::kInvalidSocket);
    }
    for (int nth : {2, 3}) {
        ArmFault(Fault::SocketOption, nth);
        EXPECT_EQ(OpenSocket(Address("127.0.0.1")), platform::kInvalidSocket);
    }
    // Binding to an address the host doesn't have fails without any fault,
    // and says why.
    platform::Socket socket = platform::kInvalidSocket;
    EXPECT_EQ(OpenInterfaceSocket(settings(), Address("192.0.2.1"), &socket), EADDRNOTAVAIL);
    EXPECT_EQ(socket, platform::kInvalidSocket);
    EXPECT_EQ(test::OpenDescriptorCount(), before);
}

// A host with many addresses: lo carries 127.0.0.1 to 127.0.0.(1 + extra).
class ManyAddressesTest : public SessionTest {
protected:
    static constexpr int kExtra = 69; // 70 local addresses in all
    void SetUp() override
    {
        SessionTest::SetUp();
        ASSERT_TRUE(test::AddLoopbackAddresses(kExtra));
    }
    void TearDown() override
    {
        test::RemoveLoopbackAddresses(kExtra);
        SessionTest::TearDown();
    }
};

TEST_F(ManyAddressesTest, ListsEveryAddressAndOpensOneSocketEach)
{
    std::vector<uint32_t> list;
    ASSERT_EQ(EnumerateLocalAddresses(&list), platform::kNoError);
    ASSERT_EQ(list.size(), static_cast<size_t>(kExtra + 1));
    EXPECT_EQ(list.front(), Address("127.0.0.1"));

    const int before = test::OpenDescriptorCount();
    SocketSet set;
    ASSERT_EQ(OpenSocketSet(settings(), &set).outcome, Outcome::Accepted);
    ASSERT_EQ(set.count(), static_cast<size_t>(kExtra + 1));
    for (size_t i = 0; i < set.count(); ++i) {
        uint32_t local = 0;
        ASSERT_TRUE(platform::LocalAddressOf(set.sockets()[i], &local));
        EXPECT_EQ(ntohl(local), 0x7F000001u + i) << "socket " << i << " follows the address order";
    }
    set.Close();
    EXPECT_EQ(set.count(), 0u);
    EXPECT_EQ(test::OpenDescriptorCount(), before);
}

TEST_F(ManyAddressesTest, AFailureInTheMiddleOfASetLeavesNothingOpen)
{
    const int before = test::OpenDescriptorCount();
    for (Fault fault : {Fault::SocketCreate, Fault::SocketBind, Fault::SocketOption}) {
        SCOPED_TRACE(static_cast<int>(fault));
        ArmFault(fault, 3);
        SocketSet set;
        EXPECT_EQ(OpenSocketSet(settings(), &set).outcome, Outcome::Failed);
        EXPECT_EQ(set.count(), 0u);
        EXPECT_EQ(test::OpenDescriptorCount(), before);
    }
}

TEST_F(ManyAddressesTest, SendsThroughEverySocketToTheGroup)
{
    test::LoopbackDevice device(test::Answering());
    SocketSet set;
    ASSERT_EQ(OpenSocketSet(settings(), &set).outcome, Outcome::Accepted);
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(identity(), kAllDevices, request);
    EXPECT_TRUE(SendToGroup(settings(), set.sockets(), set.count(), request, sizeof request));
    test::WaitFor([&] { return device.RequestsHeard() >= kExtra + 1; });
    EXPECT_EQ(device.RequestsHeard(), kExtra + 1);
}

// The exchange that the commands use, shortened to fractions of a second.
class ExchangeTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        BuildDiscoveryRequest(identity(), target_, request_);
    }
    Outcome Exchange()
    {
        return ExchangeOnInterface(identity(), settings(), std::chrono::milliseconds(300), Address("127.0.0.1"),
                                   kDiscoveryReply, target_, request_, sizeof request_, &record_)
            .outcome;
    }

    const uint8_t target_[kMacSize] = {2, 0, 0, 0, 0, 5};
    uint8_t request_[kDiscoveryRequestSize] = {};
    ReplyRecord record_{};
};

TEST_F(ExchangeTest, TheTargetsReplyEndsTheExchange)
{
    test::LoopbackDevice device(
        test::Answering({test::DiscoveryReplyFrom(kMagicLorx, 4), test::DiscoveryReplyFrom(kMagicLorx, 5)}));
    EXPECT_EQ(Exchange(), Outcome::Accepted);
    EXPECT_EQ(record_.info.macAddress[5], 5);
    EXPECT_EQ(record_.info.interfaceAddress, Address("127.0.0.1"));
}

TEST_F(ExchangeTest, OtherDevicesRepliesLeadToATimeOut)
{
    test::LoopbackDevice device(test::Answering({test::DiscoveryReplyFrom(kMagicLorx, 4)}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(), Outcome::TimedOut);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 200 + 400));
    EXPECT_EQ(device.RequestsHeard(), 1) << "the request is never sent again";
}

TEST_F(ExchangeTest, LocalFailuresEndItWithoutSending)
{
    test::LoopbackDevice device(test::Answering());
    const int before = test::OpenDescriptorCount();
    ArmFault(Fault::TimerCreate, 1);
    EXPECT_EQ(Exchange(), Outcome::Failed);
    ArmFault(Fault::SocketBind, 1);
    EXPECT_EQ(Exchange(), Outcome::Failed);
    EXPECT_EQ(device.RequestsHeard(), 0);
    ArmFault(Fault::Poll, 1);
    EXPECT_EQ(Exchange(), Outcome::Failed) << "a failed wait";
    EXPECT_EQ(test::OpenDescriptorCount(), before);
}

} // namespace
