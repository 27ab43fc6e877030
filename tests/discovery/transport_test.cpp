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

#include "guarded_list.h"
#include "guids.h"
#include "loopback_device.h"
#include "platform/fault_injection.h"
#include "session.h"
#include "transport.h"
#include "wire_format.h"

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

std::vector<uint32_t> ListAddresses(GuardedList *list)
{
    std::vector<uint32_t> addresses;
    for (int32_t i = 0; i < Count(list); ++i) {
        addresses.push_back(ItemAddress(EntryAt(list, i)));
    }
    return addresses;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::InPrivateNamespace());
        session_ = CreateSession(kMagicLorx, &kLocatorGuid);
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override
    {
        platform::DisarmAllFaults();
        DestroySession(session_);
    }

    DiscoverySession *session_ = nullptr;
};

TEST(LocalAddressRule, KeepsUpInterfacesInOrderOnceEachAndLoopbackOnlyAlone)
{
    GuardedList *list = CreateList();
    Append(list, AddressItem(Address("192.0.2.99"))); // emptied first
    const std::vector<InterfaceAddress> mixed = {
        {Address("127.0.0.1"), true, true},   {Address("10.0.0.1"), true, false},
        {Address("10.0.0.2"), false, false},  {Address("192.168.1.5"), true, false},
        {Address("10.0.0.1"), true, false},   {0, true, false},
    };
    EXPECT_EQ(FillLocalAddressList(list, mixed), 2);
    EXPECT_EQ(ListAddresses(list), (std::vector<uint32_t>{Address("10.0.0.1"), Address("192.168.1.5")}));

    const std::vector<InterfaceAddress> loopbackOnly = {
        {Address("127.0.0.1"), true, true}, {Address("10.0.0.2"), false, false}, {Address("127.0.0.2"), true, true}};
    EXPECT_EQ(FillLocalAddressList(list, loopbackOnly), 2);
    EXPECT_EQ(ListAddresses(list), (std::vector<uint32_t>{Address("127.0.0.1"), Address("127.0.0.2")}));

    EXPECT_EQ(FillLocalAddressList(list, {{Address("10.0.0.2"), false, false}}), 0);
    EXPECT_EQ(Count(list), 0);
    EXPECT_EQ(FillLocalAddressList(nullptr, mixed), 0);
    DestroyList(list);
}

TEST(LocalAddressRule, PrivateNamespaceWithOnlyLoopbackYieldsLoopback)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    GuardedList *list = CreateList();
    EXPECT_EQ(EnumerateLocalAddresses(list), 1);
    EXPECT_EQ(ListAddresses(list), std::vector<uint32_t>{Address("127.0.0.1")});
    DestroyList(list);
    EXPECT_EQ(EnumerateLocalAddresses(nullptr), 0);
}

TEST(PollInterval, IsRoundedUpToWholeMillisecondsAndNeverZero)
{
    EXPECT_EQ(PollMilliseconds(PollInterval{0, 200000}), 200);
    EXPECT_EQ(PollMilliseconds(PollInterval{2, 0}), 2000);
    EXPECT_EQ(PollMilliseconds(PollInterval{0, 1500}), 2);
    EXPECT_EQ(PollMilliseconds(PollInterval{0, 1}), 1) << "a sub-millisecond wait must not become 0";
    EXPECT_EQ(PollMilliseconds(PollInterval{0, 0}), 1);
}

// Replies sent straight to a transport socket bound to 127.0.0.1.
class ReceiveReplyTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        socket_ = OpenInterfaceSocket(session_, Address("127.0.0.1"));
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
        InitReplyRecord(session_, &record_);
        return ReceiveReply(session_, socket_, kDiscoveryReply, target, &record_);
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

TEST_F(ReceiveReplyTest, MissingArgumentsFailAtOnce)
{
    EXPECT_EQ(ReceiveReply(nullptr, socket_, kDiscoveryReply, kAllDevices, &record_), -1);
    EXPECT_EQ(ReceiveReply(session_, socket_, kDiscoveryReply, nullptr, &record_), -1);
    EXPECT_EQ(ReceiveReply(session_, socket_, kDiscoveryReply, kAllDevices, nullptr), -1);
    const uint8_t request[kDiscoveryRequestSize] = {};
    EXPECT_EQ(SendToGroup(session_, &socket_, 0, request, sizeof request), -1);
    EXPECT_EQ(SendToGroup(session_, &socket_, 1, request, 0), -1);
    EXPECT_EQ(SendToGroup(nullptr, &socket_, 1, request, sizeof request), -1);
    EXPECT_EQ(OpenInterfaceSocket(nullptr, Address("127.0.0.1")), platform::kInvalidSocket);
}

TEST_F(SessionTest, EachFailingStepOfASocketOpenClosesIt)
{
    const int before = test::OpenDescriptorCount();
    for (Fault fault : {Fault::SocketCreate, Fault::SocketBind, Fault::SocketOption}) {
        ArmFault(fault, 1);
        EXPECT_EQ(OpenInterfaceSocket(session_, Address("127.0.0.1")), platform::kInvalidSocket);
    }
    for (int nth : {2, 3}) {
        ArmFault(Fault::SocketOption, nth);
        EXPECT_EQ(OpenInterfaceSocket(session_, Address("127.0.0.1")), platform::kInvalidSocket);
    }
    // Binding to an address the host doesn't have fails without any fault.
    EXPECT_EQ(OpenInterfaceSocket(session_, Address("192.0.2.1")), platform::kInvalidSocket);
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
    GuardedList *list = CreateList();
    ASSERT_EQ(EnumerateLocalAddresses(list), kExtra + 1);
    EXPECT_EQ(ItemAddress(EntryAt(list, 0)), Address("127.0.0.1"));
    DestroyList(list);

    SocketSet set{};
    ASSERT_TRUE(OpenSocketSet(session_, &set));
    ASSERT_EQ(set.count, static_cast<size_t>(kExtra + 1));
    for (size_t i = 0; i < set.count; ++i) {
        uint32_t local = 0;
        ASSERT_TRUE(platform::LocalAddressOf(set.sockets[i], &local));
        EXPECT_EQ(ntohl(local), 0x7F000001u + i) << "socket " << i << " follows the address order";
    }
    CloseSocketSet(&set);
    EXPECT_EQ(set.sockets, nullptr);
    EXPECT_EQ(set.count, 0u);
}

TEST_F(ManyAddressesTest, AFailureInTheMiddleOfASetLeavesNothingOpen)
{
    const int before = test::OpenDescriptorCount();
    for (Fault fault : {Fault::SocketCreate, Fault::SocketBind, Fault::SocketOption}) {
        SCOPED_TRACE(static_cast<int>(fault));
        ArmFault(fault, 3);
        SocketSet set{};
        EXPECT_FALSE(OpenSocketSet(session_, &set));
        EXPECT_EQ(set.sockets, nullptr);
        EXPECT_EQ(set.count, 0u);
        EXPECT_EQ(test::OpenDescriptorCount(), before);
    }
    platform::DisarmAllFaults();
    SocketSet set{};
    EXPECT_FALSE(OpenSocketSet(nullptr, &set));
    EXPECT_FALSE(OpenSocketSet(session_, nullptr));
}

TEST_F(ManyAddressesTest, SendsThroughEverySocketToTheGroup)
{
    test::LoopbackDevice device([](const Datagram &, const sockaddr_in &) { return std::vector<Datagram>{}; });
    SocketSet set{};
    ASSERT_TRUE(OpenSocketSet(session_, &set));
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(session_, kAllDevices, request);
    EXPECT_EQ(SendToGroup(session_, set.sockets, set.count, request, sizeof request), 0);
    for (int i = 0; i < 100 && device.RequestsHeard() < kExtra + 1; ++i) {
        usleep(10000);
    }
    EXPECT_EQ(device.RequestsHeard(), kExtra + 1);
    CloseSocketSet(&set);
}

// The exchange that the commands use, shortened to fractions of a second.
class ExchangeTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        session_->commandTimeout = -300 * kTicksPerMillisecond;
        BuildDiscoveryRequest(session_, target_, request_);
    }
    int32_t Exchange()
    {
        return ExchangeOnInterface(session_, Address("127.0.0.1"), kDiscoveryReply, target_, request_, sizeof request_,
                                   &record_);
    }

    const uint8_t target_[kMacSize] = {2, 0, 0, 0, 0, 5};
    uint8_t request_[kDiscoveryRequestSize] = {};
    ReplyRecord record_{};
};

TEST_F(ExchangeTest, TheTargetsReplyEndsTheExchange)
{
    test::LoopbackDevice device([](const Datagram &, const sockaddr_in &) {
        return std::vector<Datagram>{test::DiscoveryReplyFrom(kMagicLorx, 4), test::DiscoveryReplyFrom(kMagicLorx, 5)};
    });
    EXPECT_EQ(Exchange(), 0);
    EXPECT_EQ(record_.info.macAddress[5], 5);
    EXPECT_EQ(record_.info.interfaceAddress, Address("127.0.0.1"));
    EXPECT_EQ(session_->lastError, 0);
}

TEST_F(ExchangeTest, OtherDevicesRepliesLeadToATimeOut)
{
    test::LoopbackDevice device([](const Datagram &, const sockaddr_in &) {
        return std::vector<Datagram>{test::DiscoveryReplyFrom(kMagicLorx, 4)};
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(), -2);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 200 + 400));
    EXPECT_EQ(session_->lastError, kErrorTimedOut);
    EXPECT_STREQ(session_->lastErrorMessage, "Operation timed out");
    EXPECT_EQ(device.RequestsHeard(), 1) << "the request is never sent again";
}

TEST_F(ExchangeTest, LocalFailuresEndItWithoutSendingOrTouchingTheError)
{
    test::LoopbackDevice device([](const Datagram &, const sockaddr_in &) { return std::vector<Datagram>{}; });
    const int before = test::OpenDescriptorCount();
    ArmFault(Fault::TimerCreate, 1);
    EXPECT_EQ(Exchange(), -1);
    ArmFault(Fault::SocketBind, 1);
    EXPECT_EQ(Exchange(), -1);
    EXPECT_EQ(device.RequestsHeard(), 0);
    ArmFault(Fault::Poll, 1);
    EXPECT_EQ(Exchange(), -1) << "a failed wait";
    EXPECT_EQ(session_->lastError, 0);
    EXPECT_EQ(test::OpenDescriptorCount(), before);
    EXPECT_EQ(ExchangeOnInterface(session_, Address("127.0.0.1"), kDiscoveryReply, target_, request_, 0, &record_),
              -1);
}

} // namespace
