// The known-devices file: where it lives, what it keeps and skips, how it is
// written, by several programs at once, who may change it, its bounds, and
// that nothing but Forget lowers a pin.
#include "common/known_devices.h"
#include "common/state_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kovr::common;

namespace {

MacAddress Mac(uint8_t last)
{
    return {0x02, 0x4b, 0x52, 0x00, 0x00, last};
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line + "\n";
    }
    return text;
}

class KnownDevicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "known-devices-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        path_ = root_ + "/kovr/known-devices";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void Write(const std::string &text, mode_t mode = 0600)
    {
        std::filesystem::create_directories(root_ + "/kovr");
        std::ofstream(path_, std::ios::binary) << text;
        chmod(path_.c_str(), mode);
    }
    std::string Read() const
    {
        std::ostringstream text;
        text << std::ifstream(path_, std::ios::binary).rdbuf();
        return text.str();
    }
    struct stat Stat(const std::string &path) const
    {
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
        return info;
    }

    std::string root_;
    std::string path_;
};

TEST_F(KnownDevicesTest, KeepsEveryLineAndWarnsAboutThoseNotUnderstoodByNumber)
{
    const std::string text = "# kept as it is\n"
                             "02:4b:52:00:00:01 2025-03-01\n"
                             "\n"
                             "02-4B-52-00-00-02\t2025-03-02  \r\n"
                             "not-a-mac 2025-03-01\n"
                             "02:4b:52:00:00:05 2025-03-01 more\n";
    Write(text);
    KnownDevices pins(path_);
    const std::vector<std::string> warnings = pins.Load();

    std::string named;
    for (const std::string &warning : warnings) {
        EXPECT_EQ(warning.rfind(path_ + " line ", 0), 0u) << warning;
        named += warning.substr(path_.size() + 6, 1);
    }
    EXPECT_EQ(named, "56") << Joined(warnings);
    // Learning one more keeps every line, the skipped ones too, since one
    // of them may be a pin someone mistyped.
    ASSERT_TRUE(pins.Learn(Mac(6), "2025-04-01"));
    std::string error;
    ASSERT_TRUE(pins.Save(error)) << error;
    std::string expected = text;
    expected.replace(expected.find("\r\n"), 2, "\n");
    EXPECT_EQ(Read(), expected + "02:4b:52:00:00:06 2025-04-01\n");

    // Past a few, the rest of the lines not understood are counted.
    std::string many;
    for (int i = 0; i < 12; ++i) {
        many += "bad " + std::to_string(i) + "\n";
    }
    Write(many);
    const std::vector<std::string> counted = KnownDevices(path_).Load();
    ASSERT_EQ(counted.size(), 11u) << Joined(counted);
    EXPECT_EQ(counted.back(), path_ + ": 2 more lines are not understood");
}

// What people write by hand: a line that starts with a MAC pins it, and
// keeps it pinned through a save, whatever follows.
TEST_F(KnownDevicesTest, HandWrittenLinesKeepTheirPins)
{
    struct Row {
        const char *what;
        std::string line;
        bool pinned;
        size_t warnings;
    };
    const Row rows[] = {
        {"byte order mark",
         "\xEF\xBB\xBF"
         "02:4b:52:00:00:01 2025-03-01",
         true, 0},
        {"trailing comment", "02:4b:52:00:00:01 2025-03-01 # the hall", true, 0},
        {"comment right after the MAC", "02:4b:52:00:00:01#the hall", true, 0},
        {"no date", "02:4b:52:00:00:01", true, 0},
        {"short date", "02:4b:52:00:00:01 2025-3-1", true, 0},
        {"a word after the date", "02:4b:52:00:00:01 2025-03-01 hall", true, 1},
        {"not a MAC", "02:4b:52:00:00 2025-03-01", false, 1},
        {"all devices", "ff:ff:ff:ff:ff:ff 2025-03-01", false, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Write(row.line + "\n");
        KnownDevices pins(path_);
        EXPECT_EQ(pins.Load().size(), row.warnings);
        EXPECT_EQ(pins.IsPinned(Mac(1)), row.pinned);
        pins.Learn(Mac(2));
        std::string error;
        ASSERT_TRUE(pins.Save(error)) << error;
        KnownDevices after(path_);
        after.Load();
        EXPECT_EQ(after.IsPinned(Mac(1)), row.pinned) << Read();
        EXPECT_TRUE(after.IsPinned(Mac(2))) << Read();
    }
}

TEST_F(KnownDevicesTest, OnlyForgetLowersAPin)
{
    std::string error;
    {
        KnownDevices pins(path_);
        EXPECT_TRUE(pins.Load().empty()) << "a missing file holds no pins";
        EXPECT_TRUE(pins.Learn(Mac(1)));
        EXPECT_FALSE(pins.Learn(Mac(1))) << "pinned once";
        ASSERT_TRUE(pins.Save(error)) << error;
    }
    KnownDevices pins(path_);
    pins.Load();
    EXPECT_TRUE(pins.IsPinned(Mac(1)));
    EXPECT_FALSE(pins.Changed());
    EXPECT_FALSE(pins.Forget(Mac(2)));
    EXPECT_TRUE(pins.Forget(Mac(1)));
    EXPECT_FALSE(pins.IsPinned(Mac(1)));
    ASSERT_TRUE(pins.Save(error)) << error;
    KnownDevices after(path_);
    after.Load();
    EXPECT_FALSE(after.IsPinned(Mac(1)));
}

// A new file in a new folder, both the owner's alone; an existing file
// replaced by a new one, never rewritten in place, so that a reader or a
// crash sees the old list or the new, never half of one.
TEST_F(KnownDevicesTest, IsWrittenPrivatelyInOneStep)
{
    std::string error;
    KnownDevices fresh(path_);
    fresh.Load();
    fresh.Learn(Mac(1));
    ASSERT_TRUE(fresh.Save(error)) << error;
    EXPECT_EQ(Stat(root_ + "/kovr").st_mode & 0777, 0700u);
    EXPECT_EQ(Stat(path_).st_mode & 0777, 0600u);

    Write(Read(), 0664);
    const ino_t before = Stat(path_).st_ino;
    KnownDevices shared(path_);
    const std::vector<std::string> warnings = shared.Load();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("may be changed by other users"), std::string::npos) << warnings[0];
    EXPECT_TRUE(shared.IsPinned(Mac(1))) << "its pins still count";
    shared.Learn(Mac(2));
    ASSERT_TRUE(shared.Save(error)) << error;
    EXPECT_EQ(Stat(path_).st_mode & 0777, 0600u);
    EXPECT_NE(Stat(path_).st_ino, before);
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(root_ + "/kovr")) {
        files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"known-devices", "known-devices.lock"})) << "no file left behind";
}

// What another user could change can't tell which devices take a plain
// password: the folder (which decides who may replace or plant the file)
// and the file itself. A save makes both the user's own and private.
TEST_F(KnownDevicesTest, AFileOrFolderOthersMayChangeIsDistrustedUntilSaved)
{
    const std::string folder = root_ + "/kovr";
    struct Row {
        const char *what;
        std::function<bool()> make; // false: can't be made here
        std::string says;
    };
    const Row rows[] = {
        {"folder writable by others", [&] { return Write("02:4b:52:00:00:01\n"), chmod(folder.c_str(), 0777) == 0; },
         "its folder " + folder + " may be written by group or others"},
        {"no file yet, folder writable by its group",
         [&] { return std::filesystem::create_directories(folder), chmod(folder.c_str(), 0770) == 0; },
         "its folder " + folder + " may be written by group or others"},
        {"file of another user", [&] { return Write("02:4b:52:00:00:01\n"), chown(path_.c_str(), 65534, 65534) == 0; },
         "it belongs to another user (uid 65534)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(folder);
        if (!row.make()) {
            std::cout << "[  SKIPPED ] " << row.what << ": needs root to hand a file to another user\n";
            continue;
        }
        KnownDevices pins(path_);
        const std::vector<std::string> warnings = pins.Load();
        ASSERT_EQ(warnings.size(), 1u) << Joined(warnings);
        EXPECT_EQ(warnings[0].rfind(path_ + " may be changed by other users", 0), 0u) << warnings[0];
        EXPECT_NE(warnings[0].find(row.says), std::string::npos) << warnings[0];
        EXPECT_EQ(pins.Distrust(), "may be changed by other users");
        pins.Learn(Mac(2));
        std::string error;
        ASSERT_TRUE(pins.Save(error)) << error;
        EXPECT_EQ(Stat(folder).st_mode & 0777, 0700u);
        KnownDevices after(path_);
        EXPECT_TRUE(after.Load().empty());
        EXPECT_EQ(after.Distrust(), "");
    }
}

// Real processes that saved at once, one of them forgetting a pin that
// every other one had read: every pin learned is kept, and only the
// forgotten one goes.
TEST_F(KnownDevicesTest, ConcurrentSavesKeepEveryPinAndDropOnlyTheForgottenOne)
{
    Write("02:4b:52:00:00:ff 2025-01-01\n");
    constexpr uint8_t kLearners = 30;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (uint8_t i = 0; i <= kLearners; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(gate[1]);
            KnownDevices pins(path_);
            pins.Load();
            char go = 0;
            (void)!read(gate[0], &go, 1); // all at once, when the gate closes
            const bool changed = i == kLearners ? pins.Forget(Mac(0xff)) : pins.Learn(Mac(i));
            std::string error;
            _exit(changed && pins.Save(error) ? 0 : 1);
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    KnownDevices pins(path_);
    EXPECT_TRUE(pins.Load().empty());
    for (uint8_t i = 0; i < kLearners; ++i) {
        EXPECT_TRUE(pins.IsPinned(Mac(i))) << int(i) << "\n" << Read();
    }
    EXPECT_FALSE(pins.IsPinned(Mac(0xff)));
}

TEST_F(KnownDevicesTest, AHeldLockIsWaitedForThenReportedNamingIt)
{
    std::filesystem::create_directories(root_ + "/kovr");
    const std::string lockPath = path_ + ".lock";
    std::string error;
    StateFileLock held;
    ASSERT_TRUE(held.Take(lockPath, std::chrono::milliseconds(0), error)) << error;
    StateFileLock waiting;
    EXPECT_FALSE(waiting.Take(lockPath, std::chrono::milliseconds(50), error));
    EXPECT_EQ(error.rfind(lockPath + ": another kovr or kovr-locator has held it", 0), 0u) << error;
}

// One host answering for 37,000 MACs, each with a challenge: the file stays
// readable with the genuine pins in it. A file that grew past the bounds
// before still counts, and forget still works on it.
TEST_F(KnownDevicesTest, AFloodCantMakeTheFileUnusable)
{
    const auto flood = [](uint32_t i) {
        return MacAddress{0x0a, 0x00, 0x00, uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i)};
    };
    const auto pinCount = [&] {
        const std::string text = Read();
        return std::count(text.begin(), text.end(), '\n') - 3; // the header
    };
    Write("02:4b:52:00:00:01 2025-01-01\n02:4b:52:00:00:02 2025-01-01\n");
    KnownDevices flooded(path_);
    flooded.Load();
    for (uint32_t i = 0; i < 37000; ++i) {
        flooded.Learn(flood(i));
    }
    std::string error;
    EXPECT_FALSE(flooded.Save(error));
    EXPECT_EQ(error.rfind("36000 devices seen offering a challenge were not pinned", 0), 0u) << error;
    EXPECT_TRUE(flooded.IsPinned(flood(36999))) << "still guarded for this run";
    EXPECT_EQ(pinCount(), 2 + static_cast<long>(kMaxNewPinsPerRun));

    std::string large = "02:4b:52:00:00:01 2025-01-01\n02:4b:52:00:00:02 2025-01-01\n";
    for (uint32_t i = 0; large.size() <= kMaxStateFileSize; ++i) {
        large += FormatMac(flood(i).data()) + " 2025-01-01\n";
    }
    Write(large);
    KnownDevices oversized(path_);
    EXPECT_TRUE(oversized.Load().empty());
    EXPECT_TRUE(oversized.IsPinned(Mac(2)));
    oversized.Learn(Mac(3));
    EXPECT_TRUE(oversized.Forget(Mac(1)));
    EXPECT_FALSE(oversized.Save(error)) << "no room to learn";
    EXPECT_NE(error.find("1 devices seen offering a challenge were not pinned"), std::string::npos) << error;
    KnownDevices after(path_);
    after.Load();
    EXPECT_FALSE(after.IsPinned(Mac(1)));
    EXPECT_TRUE(after.IsPinned(Mac(2)));
    EXPECT_FALSE(after.IsPinned(Mac(3)));
    EXPECT_LT(Read().size(), large.size());
}

TEST_F(KnownDevicesTest, AFileThatCantBeReadIsNeverWrittenOver)
{
    struct Row {
        const char *what;
        std::function<void()> make;
    };
    const Row rows[] = {
        {"a folder", [&] { std::filesystem::create_directories(path_); }},
        {"too large", [&] { Write(std::string(kMaxKnownDevicesFileSize + 1, '#')); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(root_ + "/kovr");
        row.make();
        const auto before = std::filesystem::last_write_time(path_);
        KnownDevices pins(path_);
        const std::vector<std::string> warnings = pins.Load();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("can't be read"), std::string::npos) << warnings[0];
        EXPECT_FALSE(pins.Readable());
        pins.Learn(Mac(1));
        std::string error;
        EXPECT_FALSE(pins.Save(error));
        EXPECT_NE(error.find("couldn't be read"), std::string::npos) << error;
        EXPECT_EQ(std::filesystem::last_write_time(path_), before);
    }
}

TEST_F(KnownDevicesTest, AFolderThatCantBeMadeFailsTheSaveWithAReason)
{
    std::ofstream(root_ + "/file") << "in the way";
    KnownDevices pins(root_ + "/file/kovr/known-devices");
    pins.Load();
    pins.Learn(Mac(1));
    std::string error;
    EXPECT_FALSE(pins.Save(error));
    EXPECT_NE(error.find(root_ + "/file/kovr"), std::string::npos) << error;
}

TEST(StateFolderTest, FollowsXdgStateHomeThenHome)
{
    struct Row {
        const char *state; // null: unset
        const char *home;
        const char *folder;
    };
    const Row rows[] = {
        {"/var/state", "/home/u", "/var/state/kovr"},
        {"relative", "/home/u", "/home/u/.local/state/kovr"},
        {"", "/home/u", "/home/u/.local/state/kovr"},
        {nullptr, "/home/u", "/home/u/.local/state/kovr"},
        {nullptr, nullptr, ""},
    };
    for (const Row &row : rows) {
        for (const auto &[name, value] : {std::pair{"XDG_STATE_HOME", row.state}, std::pair{"HOME", row.home}}) {
            if (value != nullptr) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        }
        EXPECT_EQ(StateFolder(), row.folder) << (row.state ? row.state : "(unset)");
        EXPECT_EQ(KnownDevicesPath(), *row.folder ? std::string(row.folder) + "/known-devices" : "");
    }
}

} // namespace
