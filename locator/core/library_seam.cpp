#include "locator/core/library_seam.h"

namespace kovr::locator {

const KOVR_GUID kLocatorSessionGuid = KOVR_LOCATOR_SESSION_GUID;

KOVRDeviceInfoRecord *CopyRecordOnHeap(const KOVRDeviceInfoRecord *record)
{
    return new KOVRDeviceInfoRecord(*record);
}

void ReleaseRecordOnHeap(KOVRDeviceInfoRecord *copy)
{
    delete copy;
}

common::DeviceCalls DeviceCallsOf(const LibrarySeam &library)
{
    return {library.GetDeviceInfo, library.SetNetwork, library.SetDHCP, library.GetLastError};
}

common::ApplyCalls ApplyCallsOf(const LibrarySeam &library)
{
    return {DeviceCallsOf(library), [open = library.OpenByGuid] { return open(&kLocatorSessionGuid); }, library.Close,
            library.GetLastErrorMessage};
}

common::GuardCalls GuardCallsOf(const LibrarySeam &library)
{
    return {library.SetCommandPolicy, library.GetLastError};
}

} // namespace kovr::locator
