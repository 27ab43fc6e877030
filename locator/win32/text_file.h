#pragma once

#include <string>

namespace kovr::locator {

// Writes `text` to the file at `path`, replacing what it held. False with
// the system's reason when it can't be written whole.
bool WriteTextFile(const std::wstring &path, const std::string &text, std::string &error);

} // namespace kovr::locator
