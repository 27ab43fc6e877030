// The real library behind the call tables of the repeated search and the
// settings change; only programs that link libkovr take this.
#pragma once

#include "common/repeated_search.h"
#include "common/settings_change.h"

namespace kovr::common {

// `open` opens the sessions of the later requests.
SearchCalls LibrarySearchCalls(std::function<KOVR_HANDLE()> open);
DeviceCalls LibraryDeviceCalls();

} // namespace kovr::common
