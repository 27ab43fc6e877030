// Every failure while opening a session returns null and leaves nothing
// behind; a LORX session that can't be made is retried once as TESK.
#include <gtest/gtest.h>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/socket_library.h"
#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"
#include "tests/support/guids.h"
#include "tests/support/process_resources.h"

namespace kovr {
namespace {

using test::kLocatorGuid;
using test::kQumaGuid;

using platform::Fault;

class SessionOpenFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        starts_ = platform::SocketLibraryStarts();
        descriptors_ = test::OpenDescriptorCount();
    }
    void TearDown() override
    {
        platform::DisarmAllFaults();
        // Nothing acquired on the failed path is still held. Leaked memory
        // is reported by the leak checker of the sanitizer build.
        EXPECT_EQ(platform::SocketLibraryStarts(), starts_);
        EXPECT_EQ(test::OpenDescriptorCount(), descriptors_);
    }

    int starts_ = 0;
    int descriptors_ = 0;
};

TEST_F(SessionOpenFailure, EachAcquisitionStepFailsCleanly)
{
    for (Fault fault : {Fault::SocketLibraryStart, Fault::SessionAllocation, Fault::EventCreate, Fault::TimerCreate,
                        Fault::ListNodeAllocation}) {
        platform::ArmFault(fault, 1, true);
        EXPECT_EQ(KOVROpen(KOVR_MAGIC_QUMA, &kQumaGuid), nullptr) << static_cast<int>(fault);
        EXPECT_EQ(KOVROpenByGuid(&kLocatorGuid), nullptr) << static_cast<int>(fault);
        platform::DisarmAllFaults();
    }
}

TEST_F(SessionOpenFailure, FailedLorxIsRetriedOnceAsTesk)
{
    platform::ArmFault(Fault::SessionAllocation, 1);
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(FindSession(handle)->identity.magic, KOVR_MAGIC_TESK);
    EXPECT_EQ(platform::SocketLibraryStarts(), starts_ + 1);
    KOVRClose(handle);

    // A failure of the later steps is retried the same way.
    platform::ArmFault(Fault::TimerCreate, 1);
    handle = KOVROpenByGuid(&kLocatorGuid);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(FindSession(handle)->identity.magic, KOVR_MAGIC_TESK);
    KOVRClose(handle);
}

TEST_F(SessionOpenFailure, TeskFailureIsFinal)
{
    platform::ArmFault(Fault::SessionAllocation, 1);
    platform::ArmFault(Fault::EventCreate, 1);
    EXPECT_EQ(KOVROpenByGuid(&kLocatorGuid), nullptr);
}

TEST_F(SessionOpenFailure, FailedQumaIsNotRetried)
{
    // One failing attempt only: a second try would have succeeded.
    platform::ArmFault(Fault::SessionAllocation, 1);
    EXPECT_EQ(KOVROpenByGuid(&kQumaGuid), nullptr);
    platform::ArmFault(Fault::SessionAllocation, 1);
    EXPECT_EQ(KOVROpen(KOVR_MAGIC_LORX, &kLocatorGuid), nullptr);
}

TEST_F(SessionOpenFailure, SocketLibraryIsHeldOncePerOpenSession)
{
    KOVR_HANDLE first = KOVROpenByGuid(&kLocatorGuid);
    KOVR_HANDLE second = KOVROpenByGuid(&kQumaGuid);
    EXPECT_EQ(platform::SocketLibraryStarts(), starts_ + 2);
    KOVRClose(first);
    EXPECT_EQ(platform::SocketLibraryStarts(), starts_ + 1);
    KOVRClose(first);
    EXPECT_EQ(platform::SocketLibraryStarts(), starts_ + 1);
    KOVRClose(second);
}

} // namespace
} // namespace kovr
