// POSIX sockets need no library start.
#include "discovery/platform/socket_library.h"

namespace kovr::platform {

bool StartSystemSocketLibrary()
{
    return true;
}

void ReleaseSystemSocketLibrary() {}

} // namespace kovr::platform
