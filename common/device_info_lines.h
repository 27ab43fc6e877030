// The Device Information block: eleven labelled lines rendered from one
// device's record, as both the locator and kovr show it.
#pragma once

#include <kovr/kovr.h>

#include <string>

namespace kovr::common {

// "Enabled" or "Disabled" when the device reported its DHCP mode, else "N/A".
std::string DhcpText(const KOVRDeviceInfoRecord &record);

// How the device's own text (its name) is shown; none shows it as stored.
using TextFilter = std::string (*)(const std::string &);

// Each line ends with a line break. Only the DHCP line looks at
// presentFields: every other field prints as it stands, so an address the
// device did not report reads 0.0.0.0.
std::string DeviceInfoText(const KOVRDeviceInfoRecord &record, TextFilter showDeviceText = nullptr);

} // namespace kovr::common
