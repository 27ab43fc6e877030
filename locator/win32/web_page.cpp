#include "locator/win32/web_page.h"

#include "locator/win32/wide_text.h"

#include <shellapi.h>

namespace kovr::locator {

namespace {

void ShellOpen(HWND owner, const std::string &url)
{
    ShellExecuteW(owner, L"open", Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

WebPageOpener g_opener = ShellOpen;

} // namespace

void OpenWebPage(HWND owner, const std::string &url)
{
    g_opener(owner, url);
}

WebPageOpener SetWebPageOpener(WebPageOpener opener)
{
    const WebPageOpener previous = g_opener;
    g_opener = opener;
    return previous;
}

} // namespace kovr::locator
