#include "library_seam.h"

const KOVR_GUID kLocatorSessionGuid = {0x4724141B, 0xAEB4, 0x4DBA, {0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5}};

KOVRDeviceInfoRecord *CopyRecordOnHeap(const KOVRDeviceInfoRecord *record)
{
    return new KOVRDeviceInfoRecord(*record);
}

void ReleaseRecordOnHeap(KOVRDeviceInfoRecord *copy)
{
    delete copy;
}
