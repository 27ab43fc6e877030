#pragma once

#include <windows.h>

namespace kovr::locator {

// Shows a context menu at a point on the screen and returns the id of the
// entry the user picked, or 0. Tests replace the presenter, so that they
// read the menu and pick from it without a user; it returns the one that
// was in place.
UINT ShowPopupMenu(HWND owner, HMENU menu, POINT screen);
using MenuPresenter = UINT (*)(HWND owner, HMENU menu, POINT screen);
MenuPresenter SetMenuPresenter(MenuPresenter presenter);

} // namespace kovr::locator
