#include "locator/library_seam.h"

#include "common/library_calls.h"

namespace {

// The request goes out three times, so that one lost datagram hides no
// device; the first goes out through the window's own session, at once,
// and the search ends as the library's synchronous search does.
int32_t SearchWithRequests(KOVR_HANDLE h, std::vector<KOVRDeviceInfoRecord> &found, kovr::common::SearchWakeup &wakeup)
{
    const kovr::common::SearchCalls calls =
        kovr::common::LibrarySearchCalls([] { return KOVROpenByGuid(&kLocatorSessionGuid); });
    return kovr::common::SearchDevices(calls, h, kovr::common::SearchPlan{}, found, &wakeup);
}

} // namespace

const LibrarySeam &RealLibrary()
{
    static const LibrarySeam table = {
        KOVROpenByGuid,     KOVRClose,      KOVRGetLastError,  KOVRGetLastErrorMessage,
        SearchWithRequests, KOVRStopSearch, KOVRGetDeviceInfo, KOVRRebootDevice,
        KOVRSetNetwork,     KOVRSetDHCP,    CopyRecordOnHeap,  ReleaseRecordOnHeap,
    };
    return table;
}
