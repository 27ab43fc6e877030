// MD5 throughput, and md5sum's over the same 256 MiB on the same machine.
// After the benchmarks it writes 256 MiB of zeros to a file in /tmp, times
// `md5sum` on it (the file is still in the page cache) and checks that both
// digests agree. Rates are decimal MB per second of CPU time, as Google
// Benchmark counts them, so that other work on the machine doesn't skew the
// comparison.
//
//   tests/netlab/isolated build/default/bench/md5_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "discovery/md5.h"

namespace {

constexpr size_t kLargeInput = size_t{256} << 20;

std::string Hex(const uint8_t *bytes, size_t length)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string DigestOf(const std::vector<uint8_t> &data)
{
    kovr::Md5 md5;
    md5.Update(data.data(), data.size());
    uint8_t digest[kovr::Md5::kDigestSize];
    md5.Final(digest);
    return Hex(digest, sizeof digest);
}

// Decimal megabytes per second, as md5sum's figure below.
void CountMegabytes(benchmark::State &state, size_t bytesPerIteration)
{
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(bytesPerIteration) / 1e6,
                           benchmark::Counter::kIsRate);
}

// A command's digest input is a few dozen bytes: challenge, password,
// type and fixed fields.
void BM_Md5Small(benchmark::State &state)
{
    const std::vector<uint8_t> data(static_cast<size_t>(state.range(0)), 0x5a);
    uint8_t digest[kovr::Md5::kDigestSize];
    for (auto _ : state) {
        kovr::Md5 md5;
        md5.Update(data.data(), data.size());
        md5.Final(digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetItemsProcessed(state.iterations());
    CountMegabytes(state, data.size());
}
BENCHMARK(BM_Md5Small)->Arg(64);

void BM_Md5Large(benchmark::State &state)
{
    const std::vector<uint8_t> data(kLargeInput, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DigestOf(data));
    }
    CountMegabytes(state, data.size());
}
BENCHMARK(BM_Md5Large)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// User and system time of the children waited for so far.
double ChildrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// md5sum over the same bytes; returns 0 when its digest matches ours.
int CompareWithMd5sum()
{
    char path[] = "/tmp/kovr-md5-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        std::perror("md5_bench: mkstemp");
        return 1;
    }
    const std::vector<uint8_t> zeros(kLargeInput, 0);
    size_t written = 0;
    while (written < zeros.size()) {
        const ssize_t step = write(fd, zeros.data() + written, zeros.size() - written);
        if (step <= 0) {
            std::perror("md5_bench: write");
            close(fd);
            unlink(path);
            return 1;
        }
        written += static_cast<size_t>(step);
    }
    close(fd);
    const std::string command = std::string("md5sum ") + path;
    double bestWall = 0;
    double bestCpu = 0;
    std::string theirs;
    for (int round = 0; round < 3; ++round) {
        const double cpuBefore = ChildrenCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        FILE *pipe = popen(command.c_str(), "r");
        char line[256] = {};
        const bool read = pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr;
        const int status = pipe != nullptr ? pclose(pipe) : -1;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ChildrenCpuSeconds() - cpuBefore;
        if (!read || status != 0) {
            std::fprintf(stderr, "md5_bench: md5sum failed\n");
            unlink(path);
            return 1;
        }
        theirs = std::string(line).substr(0, 32);
        bestWall = bestWall == 0 || wall < bestWall ? wall : bestWall;
        bestCpu = bestCpu == 0 || cpu < bestCpu ? cpu : bestCpu;
    }
    unlink(path);
    const std::string ours = DigestOf(zeros);
    const double megabytes = static_cast<double>(kLargeInput) / 1e6;
    std::printf("md5sum over the same 256 MiB, from the page cache, best of 3: %.0f MB/s of its CPU time "
                "(%.0f MB/s of wall time); digest %s, ours %s: %s\n",
                megabytes / bestCpu, megabytes / bestWall, theirs.c_str(), ours.c_str(),
                theirs == ours ? "equal" : "DIFFERENT");
    return theirs == ours ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return CompareWithMd5sum();
}
