// The real library behind the call tables of the repeated search, the
// settings change, the applying of a plan and the command guard; only
// programs that link libkovr take this.
#pragma once

#include "common/command_guard.h"
#include "common/plan_apply.h"
#include "common/repeated_search.h"
#include "common/settings_change.h"

namespace kovr::common {

// `open` opens the sessions of the later requests.
SearchCalls LibrarySearchCalls(std::function<KOVR_HANDLE()> open);
DeviceCalls LibraryDeviceCalls();
// Its sessions are opened with the locator's GUID, which gives them the
// LORX magic.
ApplyCalls LibraryApplyCalls();
GuardCalls LibraryGuardCalls();

} // namespace kovr::common
