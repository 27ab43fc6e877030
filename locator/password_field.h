#pragma once

#include "common/password.h"

#include <QByteArray>

#include <cstddef>
#include <memory>

class QLineEdit;

namespace kovr::locator {

// A password on its way to the library: the field's text in the local
// encoding, zeroed when it goes. It moves into the worker's call, which may
// outlive its dialog.
class PasswordBytes {
public:
    explicit PasswordBytes(const QLineEdit &field);
    ~PasswordBytes();
    PasswordBytes(PasswordBytes &&) = default;
    PasswordBytes &operator=(PasswordBytes &&) = delete;

    const char *c_str() const { return bytes_.constData(); }
    size_t size() const { return static_cast<size_t>(bytes_.size()); }

private:
    QByteArray bytes_;
};

// The field's password in a buffer that is wiped when it goes; none when
// it is too long for one.
std::unique_ptr<common::Password> TakePassword(const QLineEdit &field);

// Zeroes the password in the field's own buffer and empties the field. What
// Qt copied while it was typed (its undo steps, earlier buffers) is beyond
// reach.
void WipePasswordField(QLineEdit &field);

} // namespace kovr::locator
