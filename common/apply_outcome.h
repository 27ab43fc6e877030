// The words for what applying a plan did to a device, as kovr prints them
// and the locator shows them.
#pragma once

#include "common/plan_apply.h"

#include <string>

namespace kovr::common {

// "verified", "unchanged", "would change", "unverified", "failed",
// "not found", "cancelled".
const char *OutcomeName(Outcome outcome);
// "DHCP" or "ip 10.77.1.20 mask 255.255.255.0 gateway 10.77.1.254".
std::string SettingText(const DeviceSettings &setting);

} // namespace kovr::common
