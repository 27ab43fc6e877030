// Opening and closing sessions, handles that never match a later session,
// and the error state.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"
#include "tests/support/guids.h"

namespace kovr {
namespace {

using test::kLocatorGuid;
using test::kQumaGuid;
using test::kSecondGuid;

constexpr KOVR_GUID kZeroGuid = {};

uint32_t MagicOf(KOVR_HANDLE handle)
{
    const SessionPointer session = FindSession(handle);
    return session != nullptr ? session->identity.magic : 0;
}

// Only a missing magic or GUID is refused; any other magic is taken as given.
TEST(SessionOpen, RefusesMissingArgumentsOnly)
{
    EXPECT_EQ(KOVROpen(0, &kLocatorGuid), nullptr);
    EXPECT_EQ(KOVROpen(KOVR_MAGIC_LORX, nullptr), nullptr);
    EXPECT_EQ(KOVROpenByGuid(nullptr), nullptr);

    KOVR_HANDLE handle = KOVROpen(0xFFFFFFFF, &kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(MagicOf(handle), 0xFFFFFFFFu);
    KOVRClose(handle);
}

TEST(SessionOpen, GuidChoosesTheMagic)
{
    const struct {
        KOVR_GUID guid;
        uint32_t magic;
    } cases[] = {
        {kQumaGuid, KOVR_MAGIC_QUMA},
        {kSecondGuid, KOVR_MAGIC_LORX},
        {kLocatorGuid, KOVR_MAGIC_LORX},
        {kZeroGuid, KOVR_MAGIC_LORX},
    };
    for (const auto &c : cases) {
        KOVR_HANDLE handle = KOVROpenByGuid(&c.guid);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(MagicOf(handle), c.magic);
        EXPECT_EQ(std::memcmp(&FindSession(handle)->identity.guid, &c.guid, sizeof c.guid), 0);
        KOVRClose(handle);
    }
}

class OpenSession : public ::testing::Test {
protected:
    test::DeviceSession session_;
    const KOVR_HANDLE handle_ = session_.handle();
};

TEST_F(OpenSession, StartsWithoutAnError)
{
    ASSERT_NE(handle_, nullptr);
    EXPECT_TRUE(session_.HasError(0, "Operation succeeded"));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 0);
}

TEST_F(OpenSession, ErrorMessageIsCutToTheCallersBuffer)
{
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, buffer, 10), 0);
    EXPECT_STREQ(buffer, "Operation");
    EXPECT_EQ(buffer[10], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, buffer, 0), -1);
    EXPECT_EQ(buffer[0], 'x');

    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, nullptr, 10), -1);
}

TEST_F(OpenSession, ErrorMessageIsPaddedWithNuls)
{
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "Operation succeeded");
    for (size_t i = std::strlen("Operation succeeded"); i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], '\0') << "at " << i;
    }
}

TEST_F(OpenSession, StoredMessagesKeepAtMost255Characters)
{
    const SessionPointer session = FindSession(handle_);
    const std::string longText(300, 'm');
    session->errors.Record(7, longText.c_str());
    EXPECT_TRUE(session_.HasError(7, longText.substr(0, 255)));

    session->errors.Record(3, "short");
    EXPECT_EQ(KOVRGetLastError(handle_), 3);
    // Nothing of the longer text survives behind the terminator.
    char buffer[kErrorMessageSize];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(KOVRGetLastErrorMessage(handle_, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "short");
    EXPECT_EQ(buffer[6], '\0');
    EXPECT_EQ(buffer[254], '\0');
}

TEST_F(OpenSession, RejectedCallsLeaveTheErrorState)
{
    FindSession(handle_)->errors.Record(42, "previous call");
    char buffer[4];
    EXPECT_EQ(KOVRGetLastErrorMessage(handle_, buffer, 0), -1);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(handle_, nullptr, 0), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle_, nullptr), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(handle_, nullptr, 1, 0), -1);
    EXPECT_EQ(KOVRGetSearchResults(handle_, nullptr, 1), -1);
    EXPECT_EQ(KOVRGetDeviceInfo(handle_, nullptr, nullptr), -1);
    EXPECT_EQ(KOVRRebootDevice(handle_, nullptr, "pw"), -1);
    EXPECT_TRUE(session_.HasError(42, "previous call"));
}

TEST(SessionClose, ClosingOneSessionLeavesTheOthers)
{
    KOVR_HANDLE first = KOVROpenByGuid(&kLocatorGuid);
    KOVR_HANDLE second = KOVROpenByGuid(&kQumaGuid);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    KOVRClose(first);
    EXPECT_EQ(MagicOf(second), KOVR_MAGIC_QUMA);
    EXPECT_EQ(KOVRGetLastError(second), 0);
    KOVRClose(second);
}

TEST(SessionHandle, AClosedHandleNeverMatchesALaterSession)
{
    KOVR_HANDLE closed = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(closed, nullptr);
    EXPECT_NE(FindSession(closed), nullptr);
    EXPECT_FALSE(IsRegistered(reinterpret_cast<KOVR_HANDLE>(reinterpret_cast<char *>(closed) + 1)));
    KOVRClose(closed);
    for (int i = 0; i < 50; ++i) {
        KOVR_HANDLE later = KOVROpenByGuid(&kLocatorGuid);
        ASSERT_NE(later, nullptr);
        EXPECT_NE(later, closed);
        EXPECT_EQ(FindSession(closed), nullptr);
        KOVRClose(later);
    }
}

} // namespace
} // namespace kovr
