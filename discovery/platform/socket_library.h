// The platform's socket library is started once per session and released
// once when the session is destroyed, and the starts are counted, so that
// the pairing stays checked on every platform. Windows Sockets needs the
// start and the release; POSIX needs neither.
#pragma once

namespace kovr::platform {

bool StartSocketLibrary();
void ReleaseSocketLibrary();
int SocketLibraryStarts();

// The system's own start and release, one pair per counted start.
bool StartSystemSocketLibrary();
void ReleaseSystemSocketLibrary();

} // namespace kovr::platform
