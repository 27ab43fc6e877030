// The folder where kovr and the locator keep what they learn about devices,
// one per user, and the reading, locking and making of what lives there.
// What differs per system is in posix_state_files.cpp and
// win32_state_files.cpp.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kovr::common {

// $XDG_STATE_HOME/kovr when that is an absolute path, else
// $HOME/.local/state/kovr; %LOCALAPPDATA%\kovr on Windows. Empty when the
// environment names no such folder.
std::string StateFolder();
// The file `name` in the state folder; empty when there is none.
std::string StateFile(const std::string &name);

// Makes the folder and the missing ones above it, private to the user
// (0700 on POSIX; an existing folder of the user's own is made 0700 too).
// False with error when it can't.
bool MakePrivateFolder(const std::string &folder, std::string &error);

// A state file is small; a larger one is not read at all.
constexpr size_t kMaxStateFileSize = 1 << 20;

struct StateFileText {
    enum class Status { Read, Missing, Failed };
    Status status = Status::Missing;
    std::string text;
    std::string error; // Failed: why
    // Read: what lets users other than this one change the file or its
    // folder ("the folder ... may be written by group or others"); empty
    // when nobody else can. POSIX judges owners and modes, Windows owners
    // and access lists.
    std::string othersMayChange;
};
// The file, unless it holds more than maxBytes.
StateFileText ReadStateFile(const std::string &path, size_t maxBytes = kMaxStateFileSize);

// An exclusive lock between processes, on a file of its own (made when
// missing, never removed): the files it guards are replaced by rename, so
// they can't carry a lock themselves. flock on POSIX, LockFileEx on
// Windows; released when the object goes, or the process ends.
class StateFileLock {
public:
    StateFileLock() = default;
    ~StateFileLock();
    StateFileLock(const StateFileLock &) = delete;
    StateFileLock &operator=(const StateFileLock &) = delete;

    // Waits at most `wait` for another holder. False with error (naming
    // the file) when the lock can't be had.
    bool Take(const std::string &path, std::chrono::milliseconds wait, std::string &error);

private:
    enum class Attempt { Taken, Busy, Failed };
    // Per system: opens (or makes) the lock file into handle_, then tries
    // once without waiting. Both set error (naming the file) on failure.
    bool Open(const std::string &path, std::string &error);
    Attempt TryOnce(const std::string &path, std::string &error);

    intptr_t handle_ = -1;
};

} // namespace kovr::common
