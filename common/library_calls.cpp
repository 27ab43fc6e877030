#include "common/library_calls.h"

namespace kovr::common {

SearchCalls LibrarySearchCalls(std::function<KOVR_HANDLE()> open)
{
    return {std::move(open),      KOVRClose,     KOVRStartSyncSearchEx, KOVRStartAsyncSearchCallback,
            KOVRGetSearchResults, KOVRStopSearch};
}

DeviceCalls LibraryDeviceCalls()
{
    return {KOVRGetDeviceInfo, KOVRSetNetwork, KOVRSetDHCP, KOVRGetLastError};
}

ApplyCalls LibraryApplyCalls()
{
    const auto open = [] {
        const KOVR_GUID guid = KOVR_LOCATOR_SESSION_GUID;
        return KOVROpenByGuid(&guid);
    };
    return {LibraryDeviceCalls(), open, KOVRClose, KOVRGetLastErrorMessage};
}

GuardCalls LibraryGuardCalls()
{
    return {KOVRSetCommandPolicy, KOVRGetLastError};
}

} // namespace kovr::common
