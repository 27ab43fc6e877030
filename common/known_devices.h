// The devices that have been seen offering a challenge: their pins. A
// device that offered one once is never sent its password in plain again,
// whoever answers for it later, until its pin is forgotten on purpose.
//
// A text file in the state folder, one line per device, its MAC and the
// date it was first seen with a challenge:
//
//     # comment
//     02:4b:52:00:00:01 2025-03-01
//
// Nothing lowers a pin by itself: a line that can't be read is skipped with
// a warning but kept in the file, and a file that can't be read at all is
// never written over.
#pragma once

#include "common/mac_address_text.h"

#include <mutex>
#include <string>
#include <vector>

namespace kovr::common {

constexpr const char *kKnownDevicesFileName = "known-devices";

// The file in the user's state folder; empty when there is none.
std::string KnownDevicesPath();
// Today's date in UTC, as the file writes it: "2025-03-01".
std::string Today();

// Thread-safe: the workers of an apply learn at once.
class KnownDevices {
public:
    // The pins of the file at `path`, not read yet. An empty path keeps
    // them in memory only, and saving them fails.
    explicit KnownDevices(std::string path);
    KnownDevices(const KnownDevices &) = delete;
    KnownDevices &operator=(const KnownDevices &) = delete;

    // Reads the file; a missing one holds no pins. Returns a warning, each
    // one sentence naming the file, for every line skipped, for a file
    // that others may change, and for one that can't be read.
    std::vector<std::string> Load();
    // Whether the file could be read (or was missing). When not, no device
    // is known to be pinned, nor known not to be.
    bool Readable() const;

    bool IsPinned(const MacAddress &mac) const;
    // True when the device wasn't pinned before.
    bool Learn(const MacAddress &mac, const std::string &date = Today());
    // True when it was pinned.
    bool Forget(const MacAddress &mac);
    // Whether Learn or Forget changed anything since Load or Save.
    bool Changed() const;
    // Replaces the file in one step, readable by its owner alone, with the
    // lines it was read with apart from those forgotten. False with error
    // when the file couldn't be read or can't be written.
    bool Save(std::string &error);

    const std::string &path() const { return path_; }

private:
    struct Line {
        std::string text; // as read or written
        bool pin = false;
        MacAddress mac{};
    };

    const std::string path_;
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
    bool readable_ = true;
    bool changed_ = false;
};

} // namespace kovr::common
