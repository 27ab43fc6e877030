/*
 * libkovr: discovery and configuration of KOVR devices on the local network.
 *
 * Every function is safe to call with a handle that is not (or no longer)
 * open: it is refused with -1, or ignored where the function returns nothing.
 * IPv4 addresses are 32-bit values in network byte order. Times are
 * milliseconds; KOVR_INFINITE means no limit.
 */
#ifndef KOVR_KOVR_H
#define KOVR_KOVR_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(KOVR_BUILDING_LIBRARY)
#    define KOVR_API __declspec(dllexport)
#  elif defined(KOVR_STATIC)
#    define KOVR_API
#  else
#    define KOVR_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define KOVR_API __attribute__((visibility("default")))
#else
#  define KOVR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define KOVR_INFINITE 0xFFFFFFFFu

/* Where every request goes: the multicast group 224.0.5.128 (here in host
 * byte order) and the UDP port. */
#define KOVR_GROUP_ADDRESS 0xE0000580u
#define KOVR_PORT          2362

/* Results of the single-device operations besides 0 (success) and the
 * device's own 1 to 255; KOVR_TIMED_OUT is also the last error after a
 * time-out. */
#define KOVR_FAILED    (-1)
#define KOVR_TIMED_OUT (-2)

/* KOVRSetCommandPolicy's flags. A session opens with none of them: a device
 * that offers no challenge is sent its password in plain, as it asks. */
#define KOVR_POLICY_REQUIRE_CHALLENGE 0x00000001u
/* A command that KOVR_POLICY_REQUIRE_CHALLENGE kept from a device that
 * answered without a challenge returns KOVR_FAILED and leaves the last error
 * KOVR_ERROR_NO_CHALLENGE with KOVR_NO_CHALLENGE_MESSAGE: nothing was sent.
 * No reply can produce that pair, since a device's result and error number
 * are both 0 to 255; its text, though, a device may send too. So tell the
 * refusal by the result and the number, never by the text. */
#define KOVR_ERROR_NO_CHALLENGE   (-3)
#define KOVR_NO_CHALLENGE_MESSAGE "Authentication Failed: the device offered no challenge"

/* KOVRSetDHCP's modes, and dhcpMode in a record. */
#define KOVR_DHCP_DISABLED 0
#define KOVR_DHCP_ENABLED  1

/* Session magics: the four letters, first letter in the most significant byte. */
#define KOVR_MAGIC_QUMA 0x51554D41u
#define KOVR_MAGIC_LORX 0x4C4F5258u
#define KOVR_MAGIC_TESK 0x5445534Bu

/* presentFields bits of KOVRDeviceInfoRecord. */
#define KOVR_FIELD_MAC_ADDRESS     0x00000001u
#define KOVR_FIELD_IP_ADDRESS      0x00000002u
#define KOVR_FIELD_SUBNET_MASK     0x00000004u
#define KOVR_FIELD_GATEWAY_ADDRESS 0x00000008u
#define KOVR_FIELD_DNS_ADDRESS     0x00000010u
#define KOVR_FIELD_DHCP_MODE       0x00000020u
#define KOVR_FIELD_DEVICE_NAME     0x00000080u
#define KOVR_FIELD_PRODUCT_NAME    0x00001000u
#define KOVR_FIELD_ADVISORY        0x00004000u
#define KOVR_FIELD_VERSION         0x00020000u
#define KOVR_FIELD_GUID            0x00040000u
#define KOVR_FIELD_TAG22           0x00080000u
#define KOVR_FIELD_NONCE           0x00100000u
#define KOVR_FIELD_TAG24           0x00200000u

/* Initialisers for the two well-known session GUIDs. The first opens a QUMA
 * session; every other GUID opens LORX, the locator's among them. */
/* clang-format off */
#define KOVR_QUMA_SESSION_GUID \
    { 0x85CE4A71u, 0x1F89u, 0x4AA2u, { 0x8B, 0x4D, 0x3B, 0x1F, 0xCE, 0x4D, 0x29, 0x41 } }
#define KOVR_LOCATOR_SESSION_GUID \
    { 0x4724141Bu, 0xAEB4u, 0x4DBAu, { 0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5 } }
/* clang-format on */

typedef struct KOVRSession *KOVR_HANDLE;
typedef struct {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} KOVR_GUID;
#if defined(_WIN32)
/* The caller's own Win32 handles, without requiring <windows.h>: KOVR_EVENT
 * is a HANDLE to an event, KOVR_WINDOW an HWND. A program built with
 * NO_STRICT includes <windows.h> first. */
typedef void *KOVR_EVENT;
#  if defined(_WINDEF_)
typedef HWND KOVR_WINDOW;
#  else
typedef struct HWND__ *KOVR_WINDOW;
#  endif
#else
typedef struct KOVREventObject *KOVR_EVENT;
typedef struct KOVRWindowObject *KOVR_WINDOW;
#endif
typedef void (*KOVRSearchNotifyCallback)(KOVR_HANDLE session, uintptr_t userValue);

/* One device, 852 bytes. The offsets are part of the interface. */
typedef struct KOVRDeviceInfoRecord {
    uint32_t recordSize;       /*   0: always 852 */
    uint32_t version;          /*   4: 512 unless the device reported its own */
    uint32_t interfaceAddress; /*   8: local address on which the reply arrived */
    uint8_t tag22Value;        /*  12 */
    uint8_t reserved13[3];     /*  13 */
    uint32_t vendorId;         /*  16: the session's magic */
    KOVR_GUID guid;            /*  20 */
    uint8_t nonceLength;       /*  36: 14 when the device sent a challenge */
    uint8_t nonce[14];         /*  37 */
    uint8_t reserved51;        /*  51 */
    uint32_t presentFields;    /*  52: KOVR_FIELD_* bits */
    uint8_t macAddress[6];     /*  56 */
    uint8_t reserved62[2];     /*  62 */
    uint32_t ipAddress;        /*  64 */
    uint32_t subnetMask;       /*  68 */
    uint32_t gatewayAddress;   /*  72 */
    uint32_t dnsAddress;       /*  76 */
    uint8_t dhcpMode;          /*  80: 1 means DHCP enabled */
    char deviceName[256];      /*  81 */
    char productName[256];     /* 337 */
    uint8_t reserved593;       /* 593 */
    uint16_t advisory;         /* 594 */
    uint8_t tag24Length;       /* 596 */
    uint8_t tag24Data[255];    /* 597 */
} KOVRDeviceInfoRecord;

/* Sessions and errors */
KOVR_API KOVR_HANDLE KOVROpen(uint32_t magic, const KOVR_GUID *guid);
KOVR_API KOVR_HANDLE KOVROpenByGuid(const KOVR_GUID *guid);
KOVR_API void KOVRClose(KOVR_HANDLE h);
KOVR_API int32_t KOVRGetLastError(KOVR_HANDLE h);
KOVR_API int32_t KOVRGetLastErrorMessage(KOVR_HANDLE h, char *buffer, uint32_t size);

/* Searches */
KOVR_API int32_t KOVRStartSyncSearch(KOVR_HANDLE h);
KOVR_API int32_t KOVRStartSyncSearchEx(KOVR_HANDLE h, uint32_t idleLimitMs, uint32_t totalLimitMs);
KOVR_API int32_t KOVRStartAsyncSearchCallback(KOVR_HANDLE h, KOVRSearchNotifyCallback cb, uintptr_t userValue);
KOVR_API int32_t KOVRStartAsyncSearchMessage(KOVR_HANDLE h, KOVR_WINDOW window, uint32_t message, uintptr_t userValue);
KOVR_API int32_t KOVRStartAsyncSearchEvent(KOVR_HANDLE h, KOVR_EVENT event);
KOVR_API int32_t KOVRGetSearchResultCount(KOVR_HANDLE h);
KOVR_API int32_t KOVRGetSearchResults(KOVR_HANDLE h, KOVRDeviceInfoRecord *records, uint32_t capacity);
KOVR_API void KOVRStopSearch(KOVR_HANDLE h);

/* One device: 0 success, -1 local failure, -2 time-out, 1..255 the device's result code */
KOVR_API int32_t KOVRGetDeviceInfo(KOVR_HANDLE h, const uint8_t *mac, KOVRDeviceInfoRecord *record);
KOVR_API int32_t KOVRRebootDevice(KOVR_HANDLE h, const uint8_t *mac, const char *password);
KOVR_API int32_t KOVRSetNetwork(KOVR_HANDLE h, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway,
                                const char *password);
KOVR_API int32_t KOVRSetDHCP(KOVR_HANDLE h, const uint8_t *mac, int32_t mode, const char *password);
/* The session's policy for the three commands above: 0, or
 * KOVR_POLICY_REQUIRE_CHALLENGE, under which a password never travels in
 * plain. 0 done, -1 unknown handle or flag; the error state is kept. */
KOVR_API int32_t KOVRSetCommandPolicy(KOVR_HANDLE h, uint32_t policy);

#if !defined(_WIN32)
/* Stand-ins for the Windows event and window handles on other platforms */

/* An auto-reset event, initially clear. */
KOVR_API KOVR_EVENT KOVRCreateEvent(void);
/* 0 signalled (and consumed), -2 timed out, -1 bad argument; 0xFFFFFFFF waits forever. */
KOVR_API int32_t KOVRWaitEvent(KOVR_EVENT e, uint32_t timeoutMs);
/* Readable for poll() and select() while the event is signalled. */
KOVR_API int KOVREventFd(KOVR_EVENT e);
KOVR_API void KOVRCloseEvent(KOVR_EVENT e);
/* A window that exists until destroyed: a FIFO of posted messages. */
KOVR_API KOVR_WINDOW KOVRCreateMessageWindow(void);
/* 0, -2 timed out, -1 bad argument. */
KOVR_API int32_t KOVRGetWindowMessage(KOVR_WINDOW w, uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam,
                                      intptr_t *lParam);
/* From then on the library's window-exists check fails for it. */
KOVR_API void KOVRDestroyMessageWindow(KOVR_WINDOW w);
#endif

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#  define KOVR_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#  define KOVR_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
#include <stddef.h>
KOVR_STATIC_ASSERT(sizeof(KOVR_GUID) == 16, "KOVR_GUID is 16 bytes");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, recordSize) == 0, "recordSize");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, version) == 4, "version");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, interfaceAddress) == 8, "interfaceAddress");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, tag22Value) == 12, "tag22Value");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, vendorId) == 16, "vendorId");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, guid) == 20, "guid");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, nonceLength) == 36, "nonceLength");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, nonce) == 37, "nonce");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, presentFields) == 52, "presentFields");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, macAddress) == 56, "macAddress");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, ipAddress) == 64, "ipAddress");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, subnetMask) == 68, "subnetMask");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, gatewayAddress) == 72, "gatewayAddress");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, dnsAddress) == 76, "dnsAddress");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, dhcpMode) == 80, "dhcpMode");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, deviceName) == 81, "deviceName");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, productName) == 337, "productName");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, advisory) == 594, "advisory");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, tag24Length) == 596, "tag24Length");
KOVR_STATIC_ASSERT(offsetof(KOVRDeviceInfoRecord, tag24Data) == 597, "tag24Data");
KOVR_STATIC_ASSERT(sizeof(KOVRDeviceInfoRecord) == 852, "KOVRDeviceInfoRecord is 852 bytes");
#undef KOVR_STATIC_ASSERT

#endif /* KOVR_KOVR_H */
