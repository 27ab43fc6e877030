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

} // namespace kovr::common
