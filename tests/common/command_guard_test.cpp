// The guard around a command: what it decides from a device's pin and reply,
// how it tells the library's refusal from a device's, and that it asks about
// plain passwords once.
#include "common/command_guard.h"

#include "tests/support/records.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

using namespace kovr::common;

namespace {

const MacAddress kMac = {0x02, 0x4b, 0x52, 0x00, 0x0a, 0x01};

// The scripted library: the policy set last, and the error state.
struct Library {
    uint32_t policy = 0xFFFFFFFF;
    int32_t lastError = 0;
};
Library *g_library = nullptr;

const GuardCalls kCalls = {
    [](KOVR_HANDLE, uint32_t policy) {
        g_library->policy = policy;
        return 0;
    },
    [](KOVR_HANDLE) { return g_library->lastError; },
};

enum class Reply { None, Plain, Challenge };

KOVRDeviceInfoRecord ReplyRecord(Reply reply)
{
    KOVRDeviceInfoRecord record = kovr::test::BareRecord(kMac[5]);
    if (reply == Reply::Challenge) {
        record.presentFields |= KOVR_FIELD_NONCE;
        record.nonceLength = 14;
    }
    return record;
}

TEST(CommandGuardTest, DecidesFromThePinAndTheDevicesReply)
{
    struct Row {
        const char *what;
        bool pinned;
        bool requireDigest;
        Reply reply;
        bool wantsReply;
        Verdict verdict;
        bool pinnedAfter;
        uint32_t policy;
    };
    const uint32_t guard = KOVR_POLICY_REQUIRE_CHALLENGE;
    const Row rows[] = {
        {"pinned, answers without a challenge", true, false, Reply::Plain, false, Verdict::Impostor, true, guard},
        {"pinned, answers with one", true, false, Reply::Challenge, false, Verdict::Guarded, true, guard},
        {"pinned, not asked", true, false, Reply::None, false, Verdict::Guarded, true, guard},
        {"new, with a challenge", false, false, Reply::Challenge, true, Verdict::Guarded, true, guard},
        {"new, without", false, false, Reply::Plain, true, Verdict::Plain, false, 0},
        {"new, without, digest required", false, true, Reply::Plain, false, Verdict::RefusedPlain, false, guard},
        {"new, not asked, digest required", false, true, Reply::None, false, Verdict::Guarded, false, guard},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Library library;
        g_library = &library;
        KnownDevices pins("");
        if (row.pinned) {
            pins.Learn(kMac);
        }
        GuardOptions options;
        options.requireDigest = row.requireDigest;
        CommandGuard commandGuard(kCalls, pins, options);
        EXPECT_EQ(commandGuard.WantsReply(kMac), row.wantsReply);
        const KOVRDeviceInfoRecord reply = ReplyRecord(row.reply);
        const Verdict verdict = commandGuard.Decide(kMac, row.reply == Reply::None ? nullptr : &reply);
        EXPECT_EQ(verdict, row.verdict);
        EXPECT_EQ(pins.IsPinned(kMac), row.pinnedAfter);
        EXPECT_TRUE(commandGuard.Arm(nullptr, verdict));
        EXPECT_EQ(library.policy, row.policy);
    }
}

// While the list can't be read, or others may change it, no device is
// known to take its password in plain.
TEST(CommandGuardTest, AListThatCantTellRefusesPlainPasswords)
{
    const std::string folder = ::testing::TempDir() + "untrusted-known-devices";
    struct Row {
        const char *why;
        std::string path;
        mode_t folderMode;
    };
    const Row rows[] = {
        {"can't be read", folder, 0700},
        {"may be changed by other users", folder + "/known-devices", 0777},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.why);
        std::filesystem::create_directories(folder);
        chmod(folder.c_str(), row.folderMode);
        KnownDevices pins(row.path);
        pins.Load();
        Library library;
        g_library = &library;
        CommandGuard guard(kCalls, pins, GuardOptions{});
        const KOVRDeviceInfoRecord plain = ReplyRecord(Reply::Plain);
        EXPECT_FALSE(guard.WantsReply(kMac));
        EXPECT_EQ(guard.Decide(kMac, &plain), Verdict::RefusedPlain);
        EXPECT_NE(guard.Explain(Verdict::RefusedPlain, kMac).find(row.why), std::string::npos);
        std::filesystem::remove_all(folder);
    }
}

TEST(CommandGuardTest, TellsTheLibrarysRefusalFromTheDevicesOwn)
{
    struct Row {
        const char *what;
        int32_t result;
        int32_t lastError;
        bool pinned;
        std::optional<Verdict> refusal;
    };
    const Row rows[] = {
        {"pinned", -1, KOVR_ERROR_NO_CHALLENGE, true, Verdict::Impostor},
        {"not pinned", -1, KOVR_ERROR_NO_CHALLENGE, false, Verdict::RefusedPlain},
        {"another local failure", -1, -1, true, std::nullopt},
        // A device's refusal, whatever text it sends, even the library's.
        {"a device refused, pinned", 1, 1, true, std::nullopt},
        {"a device refused", 1, 1, false, std::nullopt},
        {"success", 0, 0, true, std::nullopt},
    };
    for (const Row &row : rows) {
        Library library{0, row.lastError};
        g_library = &library;
        KnownDevices pins("");
        if (row.pinned) {
            pins.Learn(kMac);
        }
        const CommandGuard guard(kCalls, pins, GuardOptions{});
        EXPECT_EQ(guard.Refusal(nullptr, kMac, row.result), row.refusal) << row.what;
    }
}

TEST(CommandGuardTest, AsksAboutPlainPasswordsOncePerRun)
{
    for (const bool answer : {true, false}) {
        KnownDevices pins("");
        unsigned asked = 0;
        GuardOptions options;
        options.approvePlain = [&](const MacAddress &) {
            ++asked;
            return answer;
        };
        CommandGuard guard(kCalls, pins, options);
        EXPECT_EQ(guard.ApprovePlain(kMac), answer);
        EXPECT_EQ(guard.ApprovePlain({0x02, 0, 0, 0, 0, 0x09}), answer);
        EXPECT_EQ(asked, 1u);
    }
}

} // namespace
