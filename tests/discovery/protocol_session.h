// A session as the wire format sees it: only its magic and GUID matter, so
// the tests that build and parse datagrams need no open session.
#pragma once

#include "device_session.h"
#include "session.h"

namespace kovr::test {

inline DiscoverySession ProtocolSession(uint32_t magic, const KOVR_GUID &guid = kLocatorGuid)
{
    DiscoverySession session{};
    session.magic = magic;
    session.guid = guid;
    return session;
}

} // namespace kovr::test
