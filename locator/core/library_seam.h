#pragma once

#include "common/command_guard.h"
#include "common/plan_apply.h"
#include "common/repeated_search.h"
#include "common/settings_change.h"

#include <kovr/kovr.h>

#include <vector>

namespace kovr::locator {

// The exported library functions that the locator's windows call, gathered in
// one table so that the GUI tests can run the windows against a fake library.
// Record copies go through it too, so that tests can count them.
struct LibrarySeam {
    KOVR_HANDLE (*OpenByGuid)(const KOVR_GUID *guid);
    void (*Close)(KOVR_HANDLE h);
    int32_t (*GetLastError)(KOVR_HANDLE h);
    int32_t (*GetLastErrorMessage)(KOVR_HANDLE h, char *buffer, uint32_t size);
    // Refresh List's search through the session: every device that
    // answered, each once, oldest reply first; -1 when it can't start.
    // Every reply, the first of a device or not, goes into `sightings`.
    // Cancelling the wakeup ends it early.
    int32_t (*Search)(KOVR_HANDLE h, std::vector<KOVRDeviceInfoRecord> &found, common::SearchWakeup &wakeup,
                      common::ChallengeSightings &sightings);
    void (*StopSearch)(KOVR_HANDLE h);
    int32_t (*GetDeviceInfo)(KOVR_HANDLE h, const uint8_t *mac, KOVRDeviceInfoRecord *record);
    int32_t (*RebootDevice)(KOVR_HANDLE h, const uint8_t *mac, const char *password);
    int32_t (*SetNetwork)(KOVR_HANDLE h, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway,
                          const char *password);
    int32_t (*SetDHCP)(KOVR_HANDLE h, const uint8_t *mac, int32_t mode, const char *password);
    int32_t (*SetCommandPolicy)(KOVR_HANDLE h, uint32_t policy);
    KOVRDeviceInfoRecord *(*CopyRecord)(const KOVRDeviceInfoRecord *record);
    void (*ReleaseRecord)(KOVRDeviceInfoRecord *copy);
};

// The table over the real libkovr (defined in real_library.cpp, which only
// the programs that link libkovr compile).
const LibrarySeam &RealLibrary();

// Heap copies of a record, for tables that keep the default allocation.
KOVRDeviceInfoRecord *CopyRecordOnHeap(const KOVRDeviceInfoRecord *record);
void ReleaseRecordOnHeap(KOVRDeviceInfoRecord *copy);

// The calls of a settings change and of applying a plan, through the
// table; the plan's sessions are opened with the locator's GUID.
common::DeviceCalls DeviceCallsOf(const LibrarySeam &library);
common::ApplyCalls ApplyCallsOf(const LibrarySeam &library);
common::GuardCalls GuardCallsOf(const LibrarySeam &library);

// Every window of the locator opens its sessions with this GUID, which gives
// them the LORX magic.
extern const KOVR_GUID kLocatorSessionGuid;

} // namespace kovr::locator
