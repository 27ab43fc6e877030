// A session as the wire format sees it: only its magic and GUID matter, so
// the tests that build and parse datagrams need no open session.
#pragma once

#include "discovery/wire_bytes.h"
#include "tests/discovery/device_session.h"

namespace kovr::test {

inline Identity ProtocolSession(uint32_t magic, const KOVR_GUID &guid = kLocatorGuid)
{
    return Identity{magic, guid};
}

} // namespace kovr::test
