#include "locator/library_seam.h"

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

} // namespace kovr::locator
