// The known-devices file under load. First the save alone: with the lock
// taken, the file read again, one new pin merged in and the file replaced
// (written, synced, renamed), for files of 1, 100 and 10,000 pins, RUNS
// times each (median and slowest). Then COUNT `kovr info` runs at once,
// each for a different simulated digest device, so that each learns one
// pin: their wall time, and how many of the pins the file keeps.
// KOVR=PATH runs another kovr build (an older one, for comparison).
//
//   tests/netlab/isolated build/default/bench/pins_bench [RUNS [COUNT]]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/known_devices.h"
#include "tests/support/lab.h"

namespace {

using Clock = std::chrono::steady_clock;
using kovr::common::KnownDevices;
using kovr::common::MacAddress;

MacAddress Mac(uint32_t i)
{
    return {0x0a, 0x00, 0x00, uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i)};
}

void MeasureSaves(const std::string &folder, int runs)
{
    const std::string path = folder + "/kovr/known-devices";
    for (const uint32_t pins : {1u, 100u, 10000u}) {
        std::filesystem::remove_all(folder + "/kovr");
        std::filesystem::create_directories(folder + "/kovr");
        {
            std::ofstream seed(path);
            for (uint32_t i = 0; i < pins; ++i) {
                seed << kovr::common::FormatMac(Mac(i).data()) << " 2025-01-01\n";
            }
        }
        std::vector<double> millis;
        for (int run = 0; run < runs; ++run) {
            KnownDevices pinsFile(path);
            pinsFile.Load();
            pinsFile.Learn(Mac(1000000 + run));
            std::string error;
            const Clock::time_point start = Clock::now();
            if (!pinsFile.Save(error)) {
                std::fprintf(stderr, "pins_bench: %s\n", error.c_str());
                std::exit(1);
            }
            millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            pinsFile.Forget(Mac(1000000 + run)); // back to the same size
            pinsFile.Save(error);
        }
        std::sort(millis.begin(), millis.end());
        std::printf("pins_bench: locked, merged save of a file of %u pins: median %.2f ms, slowest %.2f ms (%d runs)\n",
                    pins, millis[millis.size() / 2], millis.back(), runs);
    }
}

int MeasureConcurrentInfo(const std::string &folder, int count)
{
    kovr::test::Lab lab{kovr::test::Topology::Single};
    std::vector<nlohmann::json> entries;
    for (int i = 1; i <= count; ++i) {
        entries.push_back(kovr::test::DeviceJson(i));
    }
    kovr::test::Simulator simulator{lab, kovr::test::Devices(entries)};
    std::filesystem::remove_all(folder + "/kovr");
    const char *other = std::getenv("KOVR");
    const std::string kovr = other != nullptr ? other : KOVR_CLI_PATH;
    std::string command = "(";
    for (int i = 1; i <= count; ++i) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "02:00:00:00:%02x:%02x", (i >> 8) & 0xff, i & 0xff);
        command += kovr + " info " + mac + " >/dev/null 2>>" + folder + "/errors & ";
    }
    command += "wait)";
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    KnownDevices pins(folder + "/kovr/known-devices");
    pins.Load();
    int kept = 0;
    for (int i = 1; i <= count; ++i) {
        kept += pins.IsPinned({0x02, 0x00, 0x00, 0x00, uint8_t(i >> 8), uint8_t(i)});
    }
    std::printf("pins_bench: %d kovr info at once, each learning a pin: %.2f s, %d of %d pins kept (%s)\n", count,
                seconds, kept, count, kovr.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && kept == count ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 50;
    const int count = argc > 2 ? std::atoi(argv[2]) : 20;
    if (runs < 1 || count < 1 || count > 60000) {
        std::fprintf(stderr, "usage: pins_bench [RUNS [COUNT]]\n");
        return 2;
    }
    char folder[] = "/tmp/kovr-pins-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("pins_bench: mkdtemp");
        return 1;
    }
    setenv("XDG_STATE_HOME", folder, 1);
    MeasureSaves(folder, runs);
    const int status = MeasureConcurrentInfo(folder, count);
    std::filesystem::remove_all(folder);
    return status;
}
