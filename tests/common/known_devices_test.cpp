// The known-devices file: where it lives, what it keeps and skips, how it is
// written, and that nothing but Forget lowers a pin.
#include "common/known_devices.h"
#include "common/state_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>

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

TEST_F(KnownDevicesTest, ReadsPinsAndSkipsEveryOtherLineWithAWarningThatNamesIt)
{
    const std::string text = "# kept as it is\n"
                             "02:4b:52:00:00:01 2025-03-01\n"
                             "\n"
                             "02-4B-52-00-00-02\t2025-03-02  \r\n"
                             "02:4b:52:00:00:03\n"
                             "not-a-mac 2025-03-01\n"
                             "ff:ff:ff:ff:ff:ff 2025-03-01\n"
                             "02:4b:52:00:00:04 2025-3-1\n"
                             "02:4b:52:00:00:05 2025-03-01 more\n";
    Write(text);
    KnownDevices pins(path_);
    const std::vector<std::string> warnings = pins.Load();

    std::string named;
    for (const std::string &warning : warnings) {
        EXPECT_EQ(warning.rfind(path_ + " line ", 0), 0u) << warning;
        named += warning.substr(path_.size() + 6, 1);
    }
    EXPECT_EQ(named, "56789") << Joined(warnings);
    struct Row {
        uint8_t last;
        bool pinned;
    };
    for (const Row row : {Row{1, true}, Row{2, true}, Row{3, false}, Row{4, false}, Row{5, false}}) {
        EXPECT_EQ(pins.IsPinned(Mac(row.last)), row.pinned) << int(row.last);
    }
    // Learning one more keeps every line, the skipped ones too, since one
    // of them may be a pin someone mistyped.
    ASSERT_TRUE(pins.Learn(Mac(6), "2025-04-01"));
    std::string error;
    ASSERT_TRUE(pins.Save(error)) << error;
    std::string expected = text;
    expected.replace(expected.find("\r\n"), 2, "\n");
    EXPECT_EQ(Read(), expected + "02:4b:52:00:00:06 2025-04-01\n");
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_ + "/kovr"), {}), 1) << "no file left behind";
}

TEST_F(KnownDevicesTest, AFileThatCantBeReadIsNeverWrittenOver)
{
    struct Row {
        const char *what;
        std::function<void()> make;
    };
    const Row rows[] = {
        {"a folder", [&] { std::filesystem::create_directories(path_); }},
        {"too large", [&] { Write(std::string(kMaxStateFileSize + 1, '#')); }},
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
