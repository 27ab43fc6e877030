// Text for the Win32 calls, which take UTF-16, from the core's UTF-8 and
// back. Device text reaches this face already made safe to show
// (common::DisplayText); these conversions only change the encoding.
#pragma once

#include <windows.h>

#include <string>

namespace kovr::locator {

// Each byte that isn't part of valid UTF-8 becomes U+FFFD, as
// common::DisplayText counts them; so does a NUL, which would end the text
// early in every Win32 call.
std::wstring Wide(const std::string &utf8);

// Wide, with each line ending in CR LF as edits and the clipboard take
// them.
std::wstring WideLines(const std::string &utf8);

// An unpaired surrogate becomes U+FFFD.
std::string Narrow(const std::wstring &utf16);

// A window's or control's whole text.
std::wstring WindowText(HWND window);

} // namespace kovr::locator
