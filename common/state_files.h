// The folder where kovr and the locator keep what they learn about devices,
// one per user, and the reading and making of what lives there. What
// differs per system is in posix_state_files.cpp and win32_state_files.cpp.
#pragma once

#include <cstddef>
#include <string>

namespace kovr::common {

// $XDG_STATE_HOME/kovr when that is an absolute path, else
// $HOME/.local/state/kovr; %LOCALAPPDATA%\kovr on Windows. Empty when the
// environment names no such folder.
std::string StateFolder();
// The file `name` in the state folder; empty when there is none.
std::string StateFile(const std::string &name);

// Makes the folder and the missing ones above it, private to the user
// (0700 on POSIX). False with error when it can't.
bool MakePrivateFolder(const std::string &folder, std::string &error);

// A state file is small; a larger one is not read at all.
constexpr size_t kMaxStateFileSize = 1 << 20;

struct StateFileText {
    enum class Status { Read, Missing, Failed };
    Status status = Status::Missing;
    std::string text;
    std::string error; // Failed: why
    // Users other than its owner may change it (group- or world-writable).
    bool othersMayWrite = false;
};
StateFileText ReadStateFile(const std::string &path);

} // namespace kovr::common
