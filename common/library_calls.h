// The real library behind the call tables of the repeated search, the
// settings change and the applying of a plan; only programs that link
// libkovr take this.
#pragma once

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

} // namespace kovr::common
