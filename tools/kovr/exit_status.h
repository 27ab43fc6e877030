// kovr's exit statuses, for scripts to tell outcomes apart.
#pragma once

namespace kovr::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;       // the device or the network reported a failure
constexpr int kExitUsage = 2;         // a malformed or missing argument; nothing was sent
constexpr int kExitTimedOut = 3;      // the device did not answer in time
constexpr int kExitProblemsFound = 4; // kovr check found misconfigured devices
// A pinned device answered without its challenge: someone may be
// impersonating it, and its password was not sent.
constexpr int kExitImpostor = 5;

} // namespace kovr::cli
