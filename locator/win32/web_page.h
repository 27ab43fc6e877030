#pragma once

#include <windows.h>

#include <string>

namespace kovr::locator {

// Opens a web page in the user's browser (ShellExecuteW). Tests replace the
// opener, so that no browser starts; it returns the one that was in place.
void OpenWebPage(HWND owner, const std::string &url);
using WebPageOpener = void (*)(HWND owner, const std::string &url);
WebPageOpener SetWebPageOpener(WebPageOpener opener);

} // namespace kovr::locator
