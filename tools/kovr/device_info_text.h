// The eleven labelled lines of the locator's Device Information block.
#pragma once

#include <kovr/kovr.h>

#include <string>

namespace kovr::cli {

std::string DeviceInfoText(const KOVRDeviceInfoRecord &record);

} // namespace kovr::cli
