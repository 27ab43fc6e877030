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
// A line that starts with a MAC pins it, whatever follows; "#" starts a
// comment at the start of a line or after the fields; a UTF-8 byte order
// mark is ignored.
//
// Nothing lowers a pin by itself: a line that can't be read is kept in the
// file with a warning, a file that can't be read at all is never written
// over, and a save merges with what is on disk. kovr and the locator may
// save at the same moment: each takes the lock file beside it
// ("known-devices.lock"), reads the file again, applies what this run
// learned and forgot, and replaces the file in one step, so every pin of
// every run is kept and only a forgotten one goes.
//
// Bounds, so that a host answering for thousands of MACs can't make the
// file unreadable: a run saves at most kMaxNewPinsPerRun new pins, and new
// pins are saved only while the file stays within kMaxLearnedFileSize
// (about 36,000 pins). The file is read up to kMaxKnownDevicesFileSize, so
// one that grew larger by hand or before these bounds still counts, and its
// pins can be forgotten.
#pragma once

#include "common/mac_address_text.h"

#include <chrono>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace kovr::common {

constexpr const char *kKnownDevicesFileName = "known-devices";
constexpr size_t kMaxKnownDevicesFileSize = 8 << 20;
constexpr size_t kMaxLearnedFileSize = 1 << 20;
constexpr size_t kMaxNewPinsPerRun = 1000;
// How long a save waits for another program's before it fails.
constexpr std::chrono::milliseconds kKnownDevicesLockWait{5000};

// The file in the user's state folder; empty when there is none.
std::string KnownDevicesPath();
// Today's date in UTC, as the file writes it: "2025-03-01".
std::string Today();

// One line of the file.
struct KnownDevicesLine {
    std::string text; // as read or written
    bool pin = false;
    MacAddress mac{};
};

// Thread-safe: the workers of an apply learn at once.
class KnownDevices {
public:
    // The pins of the file at `path`, not read yet. An empty path keeps
    // them in memory only, and saving them fails.
    explicit KnownDevices(std::string path);
    KnownDevices(const KnownDevices &) = delete;
    KnownDevices &operator=(const KnownDevices &) = delete;

    // Reads the file; a missing one holds no pins. Returns a warning, each
    // one sentence naming the file, for lines not understood (the first
    // few, then how many more), for a file or folder that others may
    // change, and for a file that can't be read.
    std::vector<std::string> Load();
    // Whether the file could be read (or was missing). When not, no device
    // is known to be pinned, nor known not to be.
    bool Readable() const;
    // Why the file can't tell which devices may take a password in plain:
    // it can't be read, or other users may change it (and so remove pins).
    // Empty when it can tell.
    std::string Distrust() const;

    bool IsPinned(const MacAddress &mac) const;
    // True when the device wasn't pinned before.
    bool Learn(const MacAddress &mac, const std::string &date = Today());
    // True when it was pinned.
    bool Forget(const MacAddress &mac);
    // Whether Learn or Forget changed anything since Load or Save.
    bool Changed() const;
    // Under the lock, reads the file again and replaces it in one step,
    // readable by its owner alone, with its lines apart from those
    // forgotten, and the pins learned that it lacks, within the bounds.
    // False with error when the file couldn't be read, the lock couldn't
    // be had, the file can't be written, or a bound left a learned pin
    // out (the others are saved; those left out still count in memory).
    bool Save(std::string &error);

    const std::string &path() const { return path_; }

private:
    struct Learned {
        MacAddress mac;
        std::string date;
    };

    void IndexLines();

    const std::string path_;
    mutable std::mutex mutex_;
    std::vector<KnownDevicesLine> lines_;
    std::set<MacAddress> pinned_; // of lines_, so that a flood isn't quadratic
    bool readable_ = true;
    std::string othersMayChange_;
    // This run's changes, applied to the file as it is when saved.
    std::vector<Learned> learned_;
    std::vector<MacAddress> forgotten_;
    size_t savedNewPins_ = 0;
};

} // namespace kovr::common
