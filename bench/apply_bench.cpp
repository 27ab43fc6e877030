// kovr apply from start to finish: a plan of CHANGES static settings among
// DEVICES simulated devices (digest passwords), applied with --parallel N,
// each change verified by a query. Each device answers every request after
// DELAY milliseconds, as a slow device on a real network would. The time
// covers the whole run: reading the plan, the search (ended 1 s after the
// last reply) and the changes.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/apply_bench [DEVICES CHANGES [PARALLEL [DELAY]]]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/lab.h"

namespace {

using Clock = std::chrono::steady_clock;

int Argument(int argc, char **argv, int index, int fallback)
{
    return argc > index ? std::atoi(argv[index]) : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    const int devices = Argument(argc, argv, 1, 150);
    const int changes = Argument(argc, argv, 2, 110);
    const int parallel = Argument(argc, argv, 3, 8);
    const int delayMs = Argument(argc, argv, 4, 0);
    if (devices < 1 || changes < 0 || changes > devices || parallel < 1 || delayMs < 0) {
        std::fprintf(stderr, "usage: apply_bench [DEVICES CHANGES [PARALLEL [DELAY]]] with CHANGES <= DEVICES\n");
        return 2;
    }
    kovr::test::Lab lab{kovr::test::Topology::Single};
    std::vector<nlohmann::json> entries;
    for (int i = 1; i <= devices; ++i) {
        entries.push_back(kovr::test::DeviceJson(i));
        entries.back()["replyDelayMs"] = delayMs;
    }
    kovr::test::Simulator simulator{lab, kovr::test::Devices(entries)};

    const std::string directory = "/tmp/kovr-apply-bench-" + std::to_string(getpid());
    mkdir(directory.c_str(), 0700);
    const std::string plan = directory + "/plan.csv";
    const std::string password = directory + "/password";
    const std::string output = directory + "/output";
    std::ofstream(password) << "secret\n";
    chmod(password.c_str(), 0600);
    {
        std::ofstream out(plan);
        out << "mac,ip,mask,gateway,dhcp\n";
        for (int i = 1; i <= changes; ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "02:00:00:00:%02x:%02x,10.78.%d.%d,255.255.0.0,10.78.0.254,Disabled\n",
                          (i >> 8) & 0xff, i & 0xff, i / 250, i % 250 + 1);
            out << line;
        }
    }

    const std::string command = std::string(KOVR_CLI_PATH) + " apply " + plan + " --password-file " + password +
                                " --parallel " + std::to_string(parallel) + " --idle 1000 > " + output;
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::ifstream report(output);
    std::string line;
    std::string summary;
    while (std::getline(report, line)) {
        summary = line;
    }
    std::printf("apply_bench: %d devices, %d changes, --parallel %d, replies after %d ms: %.2f s, exit %d, %s\n",
                devices, changes, parallel, delayMs, seconds, WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                summary.c_str());
    for (const std::string &file : {plan, password, output}) {
        std::remove(file.c_str());
    }
    rmdir(directory.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
