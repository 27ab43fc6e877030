#include "locator/win32/clipboard.h"

#include "locator/win32/wide_text.h"

#include <cstring>

namespace kovr::locator {

bool CopyToClipboard(HWND owner, const std::string &text)
{
    const std::wstring lines = WideLines(text);
    const size_t bytes = (lines.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) {
        return false;
    }
    std::memcpy(GlobalLock(memory), lines.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it takes it.
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(memory);
    }
    return taken;
}

} // namespace kovr::locator
