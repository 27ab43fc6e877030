#include "tools/kovr-sim/datagram_log.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/hex.h"
#include "tools/kovr-sim/udp_endpoint.h"

namespace kovr::sim {

DatagramLog::DatagramLog(const std::string &path)
{
    if (path.empty()) {
        return;
    }
    if (path == "-") {
        file_ = stdout;
        return;
    }
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
    ownsFile_ = true;
}

DatagramLog::~DatagramLog()
{
    if (ownsFile_) {
        std::fclose(file_);
    }
}

void DatagramLog::Write(const char *direction, const uint8_t *data, size_t length, const sockaddr_in &peer,
                        const std::string &interfaceName, const std::string &device, const std::string &note)
{
    if (file_ == nullptr) {
        return;
    }
    nlohmann::json line = {
        {"ms", std::chrono::duration<double, std::milli>(Clock::now() - start_).count()},
        {"direction", direction},
        {"peer", FormatPeer(peer)},
        {"interface", interfaceName},
        {"device", device.empty() ? nlohmann::json(nullptr) : nlohmann::json(device)},
        {"length", length},
        {"bytes", common::FormatHex(data, length)},
    };
    if (!note.empty()) {
        line["note"] = note;
    }
    // One flushed line per datagram: readers see each as soon as it happens.
    std::fprintf(file_, "%s\n", line.dump().c_str());
    std::fflush(file_);
}

} // namespace kovr::sim
