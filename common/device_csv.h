// A device list as CSV, as `kovr search --csv` writes it and the locator
// saves it: one header line, then one line per device. The same columns
// read back as a plan for `kovr apply`.
#pragma once

#include <kovr/kovr.h>

#include <string>
#include <vector>

namespace kovr::common {

// "ip", "mac", "name", "product", "dhcp", "interface", "mask", "gateway".
const std::vector<std::string> &DeviceCsvColumns();

// A cell quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string CsvField(const std::string &text);

// The header line and one device's line, each ending with a line break.
// Texts from the device are made Printable.
std::string DeviceCsvHeader();
std::string DeviceCsvLine(const KOVRDeviceInfoRecord &record);

} // namespace kovr::common
