// The password edits (ES_PASSWORD): their text taken for the library
// without copies of ours left behind, and wiped from the control.
#pragma once

#include "common/password.h"

#include <windows.h>

#include <memory>

namespace kovr::locator {

// The field's password in a buffer that is wiped when it goes, in the
// system's code page, as the library sends the bytes it is given; none
// when it is too long for one. What it passes through is wiped too.
std::unique_ptr<common::Password> TakePassword(HWND field);

// Overwrites the password where the control keeps it and empties the
// field and its undo step. What the control copied elsewhere while it was
// typed is beyond reach.
void WipePasswordField(HWND field);

} // namespace kovr::locator
