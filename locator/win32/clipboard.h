#pragma once

#include <windows.h>

#include <string>

namespace kovr::locator {

// Puts the UTF-8 text on the clipboard as Unicode text, its lines ending
// with CR LF as Windows programs expect.
bool CopyToClipboard(HWND owner, const std::string &text);

} // namespace kovr::locator
