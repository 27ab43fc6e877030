// kovr-sim's command line: how it ends and what it says when it can't start,
// and where its help sends a reader for sample device files.
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/lab.h"
#include "tests/support/private_network.h"

extern char **environ;

namespace kovr::test {
namespace {

struct SimRun {
    int exitCode = -1; // -1 when it had to be killed
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string &path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A scratch folder, removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/kovr-sim-test-XXXXXX";
        path_ = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// kovr-sim to its end, with its output in files; killed after ten seconds,
// since one that got past its command line would play devices until stopped.
SimRun RunSimulator(const std::vector<std::string> &args)
{
    SimRun run;
    if (!InPrivateNamespace()) {
        ADD_FAILURE() << "kovr-sim runs only in a private network namespace (tests/netlab/isolated)";
        return run;
    }
    const ScratchFolder folder;
    std::vector<std::string> argv = {SimulatorPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> pointers;
    for (std::string &arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, folder.File("out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, folder.File("err").c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return run;
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(folder.File("out"));
    run.err = ReadFile(folder.File("err"));
    return run;
}

// Every line of a message on stderr names the program, so that it can be
// told apart among the output of the programs around it.
void ExpectEveryLinePrefixed(const std::string &err, const std::string &what)
{
    EXPECT_FALSE(err.empty()) << what;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.rfind("kovr-sim: ", 0), 0u) << what << ": " << line;
    }
}

TEST(SimCommandLine, EveryMistakeInWhatItIsGivenExitsWithStatusTwo)
{
    const ScratchFolder folder;
    const std::string twins = folder.File("twins.json");
    std::ofstream(twins) << Devices({DeviceJson(1), DeviceJson(1)}).dump();
    const struct {
        const char *what;
        std::vector<std::string> args;
    } cases[] = {
        {"an unknown option", {"--generate", "1", "--no-such-option"}},
        {"a value that isn't a number", {"--generate", "1", "--port", "abc"}},
        {"a value out of range", {"--generate", "1", "--drop", "2"}},
        {"a device file that isn't there", {"--config", folder.File("missing.json")}},
        {"no devices", {}},
        {"a group that isn't an address", {"--generate", "1", "--group", "224.0.5"}},
        {"two devices with one MAC", {"--config", twins}},
    };
    for (const auto &c : cases) {
        const SimRun run = RunSimulator(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.what << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        ExpectEveryLinePrefixed(run.err, c.what);
    }
}

TEST(SimCommandLine, HelpNamesWhereTheSampleDeviceFilesAreInstalled)
{
    const SimRun run = RunSimulator({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("/share/doc/kovr-tools/examples"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("tools/kovr-sim/examples"), std::string::npos) << run.out;
}

// The interface flags of `name`; nullopt when there is no such interface.
std::optional<unsigned> InterfaceFlags(const std::string &name)
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    std::optional<unsigned> flags;
    for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name != nullptr && name == entry->ifa_name) {
            flags = entry->ifa_flags;
        }
    }
    freeifaddrs(list);
    return flags;
}

// Loopback of the test's own namespace, up but without multicast.
TEST(SimCommandLine, AnInterfaceThatCantMulticastComesWithTheCommandThatFixesIt)
{
    ASSERT_EQ(std::system("ip link set lo multicast off"), 0);
    const std::optional<unsigned> flags = InterfaceFlags("lo");
    if (!flags || !(*flags & IFF_UP) || (*flags & IFF_MULTICAST)) {
        GTEST_SKIP() << "this namespace's lo is not up without multicast, so kovr-sim would start on it "
                        "rather than refuse it";
    }
    const SimRun run = RunSimulator({"--generate", "1", "--interface", "lo"});
    EXPECT_EQ(run.exitCode, 1);
    ExpectEveryLinePrefixed(run.err, "lo without multicast");
    EXPECT_NE(run.err.find("'ip link set lo up multicast on'"), std::string::npos) << run.err;
}

} // namespace
} // namespace kovr::test
