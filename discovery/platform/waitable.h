// What the system waits on: a descriptor on POSIX, a HANDLE on Windows.
#pragma once

namespace kovr::platform {

#if defined(_WIN32)
using Waitable = void *;
#else
using Waitable = int;
#endif

} // namespace kovr::platform
