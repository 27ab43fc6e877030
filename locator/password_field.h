#pragma once

#include "common/password.h"

#include <memory>

class QLineEdit;

namespace kovr::locator {

// The field's password as UTF-8, the bytes kovr and the Win32 locator send
// too, in a buffer that is wiped when it goes; none when it is too long for
// one.
std::unique_ptr<common::Password> TakePassword(const QLineEdit &field);

// Zeroes the password in the field's own buffer and empties the field. What
// Qt copied while it was typed (its undo steps, earlier buffers) is beyond
// reach.
void WipePasswordField(QLineEdit &field);

} // namespace kovr::locator
