// The text Windows gives for one of its error codes (Windows only).
#pragma once

#include <string>

namespace kovr::cli {

std::string SystemMessage(unsigned long code);

} // namespace kovr::cli
