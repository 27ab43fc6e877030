// The Device Information block: eleven labelled lines rendered from one
// device's record, as both the locator and kovr show it.
#pragma once

#include "common/printable_text.h"

#include <kovr/kovr.h>

#include <string>

namespace kovr::common {

// "Enabled" or "Disabled" when the device reported its DHCP mode, else "N/A".
std::string DhcpText(const KOVRDeviceInfoRecord &record);

// How the device's own text (its name) is shown.
using TextFilter = std::string (*)(const std::string &);

// Each line ends with a line break. Only the DHCP line looks at
// presentFields: every other field prints as it stands, so an address the
// device did not report reads 0.0.0.0. The name is shown as a window shows
// device text unless the caller asks otherwise (kovr leaves bytes that
// aren't UTF-8 to the terminal): a line break in it would add a line.
std::string DeviceInfoText(const KOVRDeviceInfoRecord &record, TextFilter showDeviceText = DisplayText);

} // namespace kovr::common
