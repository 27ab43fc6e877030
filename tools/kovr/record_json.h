// A device record as a JSON object: every field of the record under its own
// name, addresses dotted, the MAC colon-separated, the GUID as text, the
// nonce and tag 24 as hexadecimal.
#pragma once

#include <kovr/kovr.h>

#include <nlohmann/json.hpp>

#include <string>

namespace kovr::cli {

nlohmann::ordered_json RecordJson(const KOVRDeviceInfoRecord &record);

// Compact JSON text. A device's texts need not be valid UTF-8; bytes that
// aren't become U+FFFD instead of failing the whole output.
std::string JsonText(const nlohmann::ordered_json &value);

} // namespace kovr::cli
