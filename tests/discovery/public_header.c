/* The public header as a C program sees it: it compiles as C, and the
 * functions it declares resolve from the shared library. */
#include "kovr/kovr.h"

#include <stddef.h>

size_t PublicRecordSizeFromC(void)
{
    return sizeof(KOVRDeviceInfoRecord);
}

int OpenAndCloseFromC(void)
{
    const KOVR_GUID guid = {0x4724141Bu, 0xAEB4u, 0x4DBAu, {0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5}};
    char message[32];
    KOVR_HANDLE handle = KOVROpenByGuid(&guid);
    int result;
    if (handle == NULL) {
        return -1;
    }
    result = KOVRGetLastErrorMessage(handle, message, (uint32_t)sizeof message);
    KOVRClose(handle);
    return result == 0 && KOVRGetLastError(handle) == -1 ? 0 : -1;
}
