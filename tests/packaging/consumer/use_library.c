/* A program that uses libkovr as a package user would: built with the
 * flags pkg-config gives, run against the installed shared library. */
#include <kovr/kovr.h>

#include <stdio.h>

int main(void)
{
    const KOVR_GUID guid = {0x4724141Bu, 0xAEB4u, 0x4DBAu, {0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5}};
    KOVR_HANDLE session = KOVROpenByGuid(&guid);
    KOVR_EVENT event = KOVRCreateEvent();
    int waited;
    if (session == NULL || event == NULL) {
        fputs("use_library: the library gave no session or no event\n", stderr);
        return 1;
    }
    waited = KOVRWaitEvent(event, 10);
    KOVRCloseEvent(event);
    KOVRClose(session);
    if (waited != -2) {
        fprintf(stderr, "use_library: an event that nobody set returned %d\n", waited);
        return 1;
    }
    puts("use_library: ok");
    return 0;
}
