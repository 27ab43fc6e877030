// The platform's socket library is started once per session and released
// once when the session is destroyed. POSIX needs no start; the count is
// kept so that the pairing stays checked on every platform.
#pragma once

namespace kovr::platform {

bool StartSocketLibrary();
void ReleaseSocketLibrary();
int SocketLibraryStarts();

} // namespace kovr::platform
