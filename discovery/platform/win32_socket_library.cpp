// Windows Sockets 2, started once per session: every WSAStartup that
// succeeded is paired with one WSACleanup.
#include <winsock2.h>

#include "discovery/platform/socket_library.h"

namespace kovr::platform {

bool StartSystemSocketLibrary()
{
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void ReleaseSystemSocketLibrary()
{
    WSACleanup();
}

} // namespace kovr::platform
