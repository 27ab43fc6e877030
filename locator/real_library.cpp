#include "locator/core/library_seam.h"

#include "common/library_calls.h"

namespace kovr::locator {

namespace {

// The request goes out as kovr's does (three times, and more while that
// finds new devices), so that a lost datagram hides no device; the first
// goes out through the window's own session, at once, and the search ends
// as the library's synchronous search does.
int32_t SearchWithRequests(KOVR_HANDLE h, std::vector<KOVRDeviceInfoRecord> &found, common::SearchWakeup &wakeup,
                           common::ChallengeSightings &sightings)
{
    const common::SearchCalls calls = common::LibrarySearchCalls([] { return KOVROpenByGuid(&kLocatorSessionGuid); });
    return common::SearchDevices(calls, h, common::SearchPlan{}, found, &wakeup, &sightings);
}

} // namespace

const LibrarySeam &RealLibrary()
{
    static const LibrarySeam table = {
        KOVROpenByGuid,       KOVRClose,         KOVRGetLastError,    KOVRGetLastErrorMessage, SearchWithRequests,
        KOVRStopSearch,       KOVRGetDeviceInfo, KOVRRebootDevice,    KOVRSetNetwork,          KOVRSetDHCP,
        KOVRSetCommandPolicy, CopyRecordOnHeap,  ReleaseRecordOnHeap,
    };
    return table;
}

} // namespace kovr::locator
