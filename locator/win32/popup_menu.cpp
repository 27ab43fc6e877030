#include "locator/win32/popup_menu.h"

namespace kovr::locator {

namespace {

UINT TrackMenu(HWND owner, HMENU menu, POINT screen)
{
    return static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, owner, nullptr));
}

MenuPresenter g_presenter = TrackMenu;

} // namespace

UINT ShowPopupMenu(HWND owner, HMENU menu, POINT screen)
{
    return g_presenter(owner, menu, screen);
}

MenuPresenter SetMenuPresenter(MenuPresenter presenter)
{
    const MenuPresenter previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

} // namespace kovr::locator
