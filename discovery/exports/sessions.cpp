// Opening and closing sessions, and the error state, for callers.
#include <cstring>

#include "discovery/session.h"
#include "kovr/kovr.h"

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
    return CreateSession(magic, *guid);
}

extern "C" KOVR_HANDLE KOVROpenByGuid(const KOVR_GUID *guid)
{
    if (guid == nullptr) {
        return nullptr;
    }
    // Compared as the 16 bytes of the in-memory form, as the caller holds it.
    const bool quma = std::memcmp(guid, &kQumaGuid, sizeof kQumaGuid) == 0;
    KOVR_HANDLE handle = CreateSession(quma ? kMagicQuma : kMagicLorx, *guid);
    if (handle == nullptr && !quma) {
        // A LORX session that could not be made is tried once more as TESK.
        handle = CreateSession(kMagicTesk, *guid);
    }
    return handle;
}

extern "C" void KOVRClose(KOVR_HANDLE h)
{
    DestroySession(h);
}

extern "C" int32_t KOVRGetLastError(KOVR_HANDLE h)
{
    const SessionPointer session = FindSession(h);
    return session != nullptr ? session->errors.Number() : KOVR_FAILED;
}

extern "C" int32_t KOVRGetLastErrorMessage(KOVR_HANDLE h, char *buffer, uint32_t size)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr || size == 0 || buffer == nullptr) {
        return KOVR_FAILED;
    }
    session->errors.CopyMessage(buffer, size);
    return 0;
}
