// Opening and closing sessions, and the error state, for callers.
#include <cstring>

#include "kovr/kovr.h"
#include "session.h"

using namespace kovr;

namespace {

// The GUID that selects the QUMA magic; every other GUID opens a LORX session.
constexpr KOVR_GUID kQumaGuid = KOVR_QUMA_SESSION_GUID;

} // namespace

extern "C" KOVR_HANDLE KOVROpen(uint32_t magic, const KOVR_GUID *guid)
{
    if (magic == 0 || guid == nullptr) {
        return nullptr;
    }
    return HandleOf(CreateSession(magic, guid));
}

extern "C" KOVR_HANDLE KOVROpenByGuid(const KOVR_GUID *guid)
{
    if (guid == nullptr) {
        return nullptr;
    }
    // Compared as the 16 bytes of the in-memory form, as the caller holds it.
    const bool quma = std::memcmp(guid, &kQumaGuid, sizeof kQumaGuid) == 0;
    DiscoverySession *session = CreateSession(quma ? kMagicQuma : kMagicLorx, guid);
    if (session == nullptr && !quma) {
        // A LORX session that could not be made is tried once more as TESK.
        session = CreateSession(kMagicTesk, guid);
    }
    return HandleOf(session);
}

extern "C" void KOVRClose(KOVR_HANDLE h)
{
    if (!IsRegistered(h)) {
        return;
    }
    KOVRStopSearch(h);
    DestroySession(FindSession(h));
}

extern "C" int32_t KOVRGetLastError(KOVR_HANDLE h)
{
    DiscoverySession *session = FindSession(h);
    return session != nullptr ? session->lastError : kErrorLocal;
}

extern "C" int32_t KOVRGetLastErrorMessage(KOVR_HANDLE h, char *buffer, uint32_t size)
{
    if (!IsRegistered(h) || size == 0 || buffer == nullptr) {
        return -1;
    }
    DiscoverySession *session = FindSession(h);
    if (session == nullptr) {
        return -1; // untestable: another thread closed the session between the two lookups
    }
    // The message, then NULs up to size; a longer message is cut to size - 1.
    const size_t length = strnlen(session->lastErrorMessage, size);
    std::memcpy(buffer, session->lastErrorMessage, length);
    std::memset(buffer + length, 0, size - length);
    buffer[size - 1] = '\0';
    return 0;
}
