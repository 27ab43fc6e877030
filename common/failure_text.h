// Why a device operation failed, as both kovr and the locator report it:
// its result with the session's last error number and text.
#pragma once

#include <kovr/kovr.h>

#include <cstdint>
#include <string>

namespace kovr::common {

// A buffer for the session's last error text: the library keeps at most 255
// characters and the terminator.
constexpr uint32_t kLastErrorMessageSize = 256;

// A result that only a time-out explains: -2, or -1 from a preparatory
// query of a command that timed out (the command itself was not sent).
bool IsTimeOut(int32_t result, int32_t lastError);

using LastErrorCall = int32_t (*)(KOVR_HANDLE h);
using LastErrorMessageCall = int32_t (*)(KOVR_HANDLE h, char *buffer, uint32_t size);

// The session's last error text; empty when there is none.
std::string LastErrorMessage(LastErrorMessageCall getMessage, KOVR_HANDLE session);

// "failed (result 1); error 13: Invalid password". The library's text is
// made printable.
std::string FailureText(LastErrorCall getError, LastErrorMessageCall getMessage, KOVR_HANDLE session, int32_t result);

} // namespace kovr::common
