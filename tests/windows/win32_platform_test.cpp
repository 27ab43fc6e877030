// The Windows platform layer inside the lab's host namespace: the addresses
// GetAdaptersAddresses lists, readiness of a full select() set and its wake
// event, datagrams that don't fit, Winsock started once per session, and
// the system's error texts.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "discovery/platform/event.h"
#include "discovery/platform/net.h"
#include "discovery/platform/socket_library.h"
#include "discovery/transport.h"
#include "kovr/kovr.h"
#include "tests/support/guids.h"

namespace kovr::platform {
namespace {

using Clock = std::chrono::steady_clock;

uint32_t Address(const char *text)
{
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address.s_addr;
}

// Winsock for the test's own sockets, as a session would hold it.
class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override
    {
        for (Socket socket : sockets_) {
            CloseSocket(socket);
        }
        ReleaseSocketLibrary();
    }
    // A non-blocking socket on 127.0.0.1 with a port of the system's choice.
    Socket LoopbackSocket()
    {
        Socket socket = kInvalidSocket;
        EXPECT_EQ(CreateUdpSocket(&socket), kNoError);
        EXPECT_EQ(BindSocket(socket, Address("127.0.0.1")), kNoError);
        EXPECT_EQ(SetNonBlocking(socket), kNoError);
        sockets_.push_back(socket);
        return socket;
    }
    uint16_t PortOf(Socket socket)
    {
        sockaddr_in local{};
        int length = sizeof local;
        getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr *>(&local), &length);
        return ntohs(local.sin_port);
    }
    void SendTo(Socket target, size_t length)
    {
        const std::vector<uint8_t> datagram(length, 0x5A);
        ASSERT_EQ(
            platform::SendTo(LoopbackSocket(), datagram.data(), datagram.size(), Address("127.0.0.1"), PortOf(target)),
            static_cast<int64_t>(length));
    }

    std::vector<Socket> sockets_;
};

TEST(LocalAddresses, AreTheLabsInterfacesWithLoopbackLeftOut)
{
    const char *expected = std::getenv("KOVR_LAB_HOST_ADDRESS");
    ASSERT_NE(expected, nullptr) << "runs inside the lab";
    std::vector<InterfaceAddress> interfaces;
    ASSERT_EQ(ListInterfaceAddresses(&interfaces), kNoError);
    bool sawLoopback = false;
    for (const InterfaceAddress &entry : interfaces) {
        sawLoopback = sawLoopback || (entry.loopback && entry.address == Address("127.0.0.1"));
    }
    EXPECT_TRUE(sawLoopback);
    std::vector<uint32_t> addresses;
    ASSERT_EQ(EnumerateLocalAddresses(&addresses), kNoError);
    EXPECT_EQ(addresses, std::vector<uint32_t>{Address(expected)});
}

TEST_F(WinsockTest, OneSelectWatchesSixtyFourSocketsAndNoMore)
{
    std::vector<Socket> watched;
    for (size_t i = 0; i < kMaxWaitSockets; ++i) {
        watched.push_back(LoopbackSocket());
    }
    SendTo(watched.back(), 16);
    bool readable[kMaxWaitSockets + 1] = {};
    ASSERT_EQ(WaitReadable(watched.data(), watched.size(), 5000, readable), 1);
    EXPECT_TRUE(readable[kMaxWaitSockets - 1]);
    EXPECT_FALSE(readable[0]);
    watched.push_back(LoopbackSocket());
    SystemError error = kNoError;
    EXPECT_EQ(WaitReadable(watched.data(), watched.size(), 0, readable, nullptr, &error), -1);
}

TEST_F(WinsockTest, TheWakeEventEndsTheWaitAndStaysSetForItsOwner)
{
    const Socket socket = LoopbackSocket();
    std::unique_ptr<Event> wake = Event::Create();
    ASSERT_NE(wake, nullptr);
    bool readable[1] = {};
    wake->Set();
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(WaitReadable(&socket, 1, 10000, readable, wake.get()), 0);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(wake->Wait(0), 0) << "the wait only watched the event";
    // Data already queued is seen although the wake is clear.
    SendTo(socket, 8);
    EXPECT_EQ(WaitReadable(&socket, 1, 10000, readable, wake.get()), 1);
    EXPECT_TRUE(readable[0]);
    uint8_t buffer[16];
    EXPECT_EQ(ReceiveDatagram(socket, buffer, sizeof buffer), 8);
    EXPECT_EQ(WaitReadable(&socket, 1, 50, readable, wake.get()), 0) << "nothing left, the wait times out";
}

TEST_F(WinsockTest, ADatagramLargerThanTheBufferReportsThatItDidNotFit)
{
    const Socket socket = LoopbackSocket();
    SendTo(socket, 600);
    bool readable[1] = {};
    ASSERT_EQ(WaitReadable(&socket, 1, 5000, readable), 1);
    uint8_t buffer[512];
    EXPECT_GT(ReceiveDatagram(socket, buffer, sizeof buffer), static_cast<int64_t>(sizeof buffer));
    EXPECT_EQ(ReceiveDatagram(socket, buffer, sizeof buffer), -1) << "the rest of it is gone";
}

TEST(SocketLibrary, EverySessionHoldsOneStartUntilItCloses)
{
    const int before = SocketLibraryStarts();
    KOVR_HANDLE first = KOVROpenByGuid(&test::kLocatorGuid);
    KOVR_HANDLE second = KOVROpenByGuid(&test::kLocatorGuid);
    EXPECT_EQ(SocketLibraryStarts(), before + 2);
    KOVRClose(first);
    EXPECT_EQ(SocketLibraryStarts(), before + 1);
    KOVRClose(second);
    KOVRClose(second);
    EXPECT_EQ(SocketLibraryStarts(), before);
}

TEST(SystemErrors, AreDescribedInTheSystemsWords)
{
    char text[128];
    DescribeSystemError(WSAEADDRNOTAVAIL, text, sizeof text);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_NE(text[std::strlen(text) - 1], '.');
    EXPECT_EQ(std::strchr(text, '\n'), nullptr);
    DescribeSystemError(kUnknownError, text, sizeof text);
    EXPECT_STREQ(text, "unknown failure");
}

} // namespace
} // namespace kovr::platform
