// A session as the wire format sees it: only its magic and GUID matter, so
// the tests that build and parse datagrams need no open session.
#pragma once

#include "device_session.h"
#include "wire_bytes.h"

namespace kovr::test {

inline Identity ProtocolSession(uint32_t magic, const KOVR_GUID &guid = kLocatorGuid)
{
    return Identity{magic, guid};
}

} // namespace kovr::test
