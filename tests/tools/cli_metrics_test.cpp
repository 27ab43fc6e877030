// kovr metrics from end to end: devices with hostile names and a shared
// address make a file that promtool accepts, with one series per device and
// problem; and output that can't be written fails and keeps the old file.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using kovr::test::DeviceJson;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    while (const dirent *entry = dir != nullptr ? readdir(dir) : nullptr) {
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") {
            names.emplace_back(entry->d_name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

// The samples of each metric name, every other line a comment.
std::map<std::string, std::vector<std::string>> SamplesByName(const std::string &text)
{
    std::map<std::string, std::vector<std::string>> samples;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("# ", 0) != 0) {
            samples[line.substr(0, line.find_first_of("{ "))].push_back(line);
        }
    }
    return samples;
}

// A folder of its own on a small tmpfs, in a mount namespace of this test's
// process, so that it can be filled or made read-only even for root.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/kovr-metrics-XXXXXX";
        path_ = mkdtemp(pattern) != nullptr ? pattern : "";
        if (path_.empty() || unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("kovr-metrics", path_.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
            ADD_FAILURE() << "can't mount a tmpfs: " << std::strerror(errno);
        }
    }
    ~ScratchFolder()
    {
        umount2(path_.c_str(), MNT_DETACH);
        rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    void MakeReadOnly() const
    {
        ASSERT_EQ(mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    }
    void Fill() const
    {
        std::ofstream filler(path_ + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }

private:
    std::string path_;
};

TEST(CliMetricsTest, HostileNamesAndASharedAddressMakeValidMetrics)
{
    Lab lab{Topology::Single};
    nlohmann::json quoting = DeviceJson(1);
    quoting["name"] = "a\"b\\c\nd} e{";
    quoting["product"] = "7100\"}\n";
    quoting["dhcp"] = 1;
    nlohmann::json injecting = DeviceJson(2);
    injecting["ip"] = quoting["ip"];
    injecting["name"] = "x\"} 1\nkovr_devices{interface=\"10.77.1.1\"} 99\n# TYPE x counter";
    // The device file holds only valid UTF-8: generated names carry the rest.
    Simulator simulator{lab,
                        kovr::test::Devices({quoting, injecting}),
                        {"--generate", "2", "--first-ip", "10.77.1.100", "--name-prefix", "\xFF\xC0\"}\n"}};

    ScratchFolder folder;
    const std::string output = folder.path() + "/kovr.prom";
    WriteFile(output, "previous\n");
    // The file is for node_exporter, whatever the writer's umask.
    const mode_t umaskBefore = umask(077);
    const auto result = RunKovr({"metrics", "--idle", "400", "--total", "10000", "--output", output});
    umask(umaskBefore);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    struct stat status {};
    ASSERT_EQ(stat(output.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"kovr.prom"});

    EXPECT_EQ(std::system(("promtool check metrics < " + output + " >&2").c_str()), 0);
    const std::string text = ReadFile(output);
    const auto samples = SamplesByName(text);
    std::map<std::string, size_t> counts;
    for (const auto &[name, lines] : samples) {
        counts[name] = lines.size();
    }
    EXPECT_EQ(counts, (std::map<std::string, size_t>{{"kovr_devices", 1},
                                                     {"kovr_device_info", 4},
                                                     {"kovr_device_problem", 2},
                                                     {"kovr_problems", 7},
                                                     {"kovr_search_duration_seconds", 1},
                                                     {"kovr_search_success", 1},
                                                     {"kovr_last_run_timestamp_seconds", 1}}))
        << text;
    // The lab's host side answers through h1.
    EXPECT_EQ(samples.at("kovr_devices")[0], "kovr_devices{address=\"10.77.1.1\",interface=\"h1\"} 4");
    EXPECT_NE(text.find("kovr_device_info{mac=\"02:00:00:00:00:01\",ip=\"10.77.1.11\",mask=\"255.255.255.0\","
                        "gateway=\"10.77.1.254\",name=\"a\\\"b\\\\c\\nd} e{\",product=\"7100\\\"}\\n\","
                        "dhcp=\"true\",address=\"10.77.1.1\",interface=\"h1\"} 1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("name=\"" + kReplacement + kReplacement + "\\\"}\\n1\""), std::string::npos) << text;
    EXPECT_EQ(samples.at("kovr_device_problem"),
              (std::vector<std::string>{
                  "kovr_device_problem{mac=\"02:00:00:00:00:01\",kind=\"duplicate-address\",severity=\"error\"} 1",
                  "kovr_device_problem{mac=\"02:00:00:00:00:02\",kind=\"duplicate-address\",severity=\"error\"} 1"}));
    EXPECT_EQ(samples.at("kovr_problems")[0], "kovr_problems{kind=\"duplicate-address\",severity=\"error\"} 2");
    EXPECT_EQ(samples.at("kovr_search_success")[0], "kovr_search_success 1");
}

// Where nothing answers, the search ends at metrics' own limit rather than
// after the library's minute, so that the minutely runs don't follow each
// other without a pause.
TEST(CliMetricsTest, ASegmentWithoutDevicesIsDoneWithinFifteenSeconds)
{
    Lab lab{Topology::Single};
    const auto start = std::chrono::steady_clock::now();
    const auto result = RunKovr({"metrics"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("kovr_devices{address=\"10.77.1.1\",interface=\"h1\"} 0\n"), std::string::npos)
        << result.out;
}

// A host whose segment is gone could not look, which is no segment without
// devices: the search fails, once sent and sent repeatedly alike.
TEST(CliMetricsTest, AHostWithoutAnInterfaceForTheSearchReportsAFailedSearch)
{
    struct Case {
        bool segment;
        const char *setup;
        const char *requests;
    };
    const Case cases[] = {
        {false, "ip link set lo multicast off", "1"},
        {true, "ip link set h1 down && ip link set lo multicast off", "3"},
        {true, "ip link set h1 multicast off && ip link set lo multicast off", "3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setup);
        std::optional<Lab> lab;
        if (c.segment) {
            lab.emplace(Topology::Single);
        }
        ASSERT_EQ(std::system(c.setup), 0);
        const auto result = RunKovr({"metrics", "--requests", c.requests, "--total", "1000"});
        std::system("ip link set lo multicast on");
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.err.find("No local IPv4 address"), std::string::npos) << result.err;
        const auto samples = SamplesByName(result.out);
        ASSERT_EQ(samples.count("kovr_search_success"), 1u) << result.out;
        EXPECT_EQ(samples.at("kovr_search_success")[0], "kovr_search_success 0");
        EXPECT_EQ(samples.count("kovr_devices"), 0u) << result.out;
    }
}

TEST(CliMetricsTest, OutputThatCantBeWrittenFailsAndKeepsThePreviousFile)
{
    Lab lab{Topology::Single};
    enum class Obstacle { MissingFolder, ReadOnlyFolder, FullDisk };
    for (const Obstacle obstacle : {Obstacle::MissingFolder, Obstacle::ReadOnlyFolder, Obstacle::FullDisk}) {
        ScratchFolder folder;
        const std::string previous = folder.path() + "/kovr.prom";
        WriteFile(previous, "previous\n");
        std::string output = previous;
        if (obstacle == Obstacle::MissingFolder) {
            output = folder.path() + "/missing/kovr.prom";
        } else if (obstacle == Obstacle::ReadOnlyFolder) {
            folder.MakeReadOnly();
        } else {
            folder.Fill();
        }
        const auto result = RunKovr({"metrics", "--idle", "400", "--total", "500", "--output", output});
        SCOPED_TRACE(static_cast<int>(obstacle));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err.rfind("kovr: can't write " + output + ": ", 0), 0u) << result.err;
        EXPECT_EQ(ReadFile(previous), "previous\n");
        const std::vector<std::string> left = FolderEntries(folder.path());
        EXPECT_EQ(left.size(), obstacle == Obstacle::FullDisk ? 2u : 1u) << "a temporary file was left behind";
    }
}

} // namespace
