// Every datagram received and sent, as one JSON object per line, so that
// tests and integrators can check the bytes exactly.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/kovr-sim/device.h"

namespace kovr::sim {

class DatagramLog {
public:
    // "-" writes to stdout, "" nowhere. Throws std::runtime_error when the
    // file can't be opened.
    explicit DatagramLog(const std::string &path);
    ~DatagramLog();
    DatagramLog(const DatagramLog &) = delete;
    DatagramLog &operator=(const DatagramLog &) = delete;

    bool enabled() const { return file_ != nullptr; }
    // direction is "in" or "out"; device is empty when no one device is meant.
    void Write(const char *direction, const uint8_t *data, size_t length, const sockaddr_in &peer,
               const std::string &interfaceName, const std::string &device, const std::string &note);

private:
    std::FILE *file_ = nullptr;
    bool ownsFile_ = false;
    Clock::time_point start_ = Clock::now();
};

} // namespace kovr::sim
