#pragma once

#include "common/plan_apply.h"
#include "locator/library_seam.h"

namespace kovr::locator {

// The calls that applying a plan makes, through the locator's library
// table, with sessions of the locator's own GUID.
common::ApplyCalls ApplyCallsOf(const LibrarySeam &library);

} // namespace kovr::locator
