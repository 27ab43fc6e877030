#include "locator/library_seam.h"

const LibrarySeam &RealLibrary()
{
    static const LibrarySeam table = {
        KOVROpenByGuid,          KOVRClose,           KOVRGetLastError,
        KOVRGetLastErrorMessage, KOVRStartSyncSearch, KOVRGetSearchResultCount,
        KOVRGetSearchResults,    KOVRStopSearch,      KOVRGetDeviceInfo,
        KOVRRebootDevice,        KOVRSetNetwork,      KOVRSetDHCP,
        CopyRecordOnHeap,        ReleaseRecordOnHeap,
    };
    return table;
}
