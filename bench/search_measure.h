// One synchronous search in the host namespace of a network lab, measured
// from the outside: what it found, when the replies reached the host's
// interface, how long it ran past them, its CPU time, its memory, and what
// the kernel did with the datagrams. Shared by the search benchmarks.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace kovr::bench {

struct SearchFigures {
    int found = 0;
    double elapsedMs = 0;
    // Datagrams from the device port seen on the host's interface, and when
    // the first and last arrived, from the search's start.
    long datagramsSeen = 0;
    double firstArrivalMs = 0;
    double lastArrivalMs = 0;
    // The process's CPU time during the search, less the measuring thread's.
    double searchCpuMs = 0;
    long rssBeforeKb = 0;
    long rssAfterKb = 0;
    long peakRssKb = 0;
    // The host namespace's UDP counters over the search: datagrams handed to
    // a socket, and datagrams dropped because a socket's buffer was full.
    long udpDelivered = 0;
    long udpBufferDrops = 0;
    // Drops at the host's per-processor input queues (netdev_max_backlog).
    long backlogDrops = 0;
    // The receive buffer the kernel grants a search socket (SO_RCVBUF read back).
    long grantedBufferBytes = 0;
};

struct SearchOptions {
    uint32_t idleMs = 5000;
    uint32_t totalMs = 60000;
    // Searches without the right to administer the network, as most callers
    // do, so that the system's buffer limit applies.
    bool unprivileged = false;
    // Processes that keep every processor busy while the search runs.
    int busyProcesses = 0;
};

// Runs one search in a child process of its own (so that each peak RSS
// stands alone) on the lab's interface h1. False when the child failed.
bool MeasureSearch(const SearchOptions &options, SearchFigures *figures);

// N devices with consecutive MACs from 02:00:01:00:00:01, each answering
// with a 200-byte DiscoveryReply (every field a camera sends).
nlohmann::json DevicesWith200ByteReplies(int count);

// A number after `key=` in kovr-sim's stop line, or -1.
long SimulatorCount(const std::string &stopLine, const std::string &key);

// "--name=value" style options: the value when `argument` starts with `name=`.
bool OptionValue(const std::string &argument, const std::string &name, std::string *value);

} // namespace kovr::bench
