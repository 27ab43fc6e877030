// The dialogs' password edits: the typed password read without a copy
// left behind, and the edit emptied.
#pragma once

#include "common/password.h"

#include <windows.h>

#include <memory>

namespace kovr::locator {

// The edit's password as UTF-8, the bytes kovr and the locator send on every
// system, in a buffer that is wiped when it goes; the buffers it passed
// through on the way are wiped at once. None when it is too long for one.
std::unique_ptr<common::Password> ReadPassword(HWND edit);
// The same, after a message box owned by `owner` has said it is too long.
std::unique_ptr<common::Password> TakePassword(HWND edit, HWND owner);

// Overwrites the password where the edit keeps it, then empties the edit
// and its undo step. What the edit copied while it was typed is beyond
// reach.
void WipePasswordEdit(HWND edit);

} // namespace kovr::locator
