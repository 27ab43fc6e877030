// What a failed platform call reports: the system's own error number, so
// that callers can show its reason without reading errno afterwards.
#pragma once

namespace kovr::platform {

using SystemError = int;
constexpr SystemError kNoError = 0;
// A failure without a system reason, such as an injected fault.
constexpr SystemError kUnknownError = -1;

// The calling thread's last system error, read right after the failed call.
SystemError LastSystemError();

} // namespace kovr::platform
