#include "locator/password_field.h"

#include "discovery/platform/secure_zero.h"

#include <QLineEdit>

namespace kovr::locator {

namespace {

// Zeroes the characters where they lie, in the buffer that every implicit
// copy shares: writing through data() would first copy a shared text and
// wipe only the copy. Text outside the heap (a literal) is read-only and no
// secret's copy.
template <typename Text>
void ZeroInPlace(Text &text)
{
    auto &shared = text.data_ptr();
    if (shared.isMutable()) {
        platform::SecureZero(shared.data(), static_cast<size_t>(text.size()) * sizeof *shared.data());
    }
    text.clear();
}

} // namespace

PasswordBytes::PasswordBytes(const QLineEdit &field) : bytes_(field.text().toLocal8Bit()) {}

PasswordBytes::~PasswordBytes()
{
    ZeroInPlace(bytes_);
}

std::unique_ptr<common::Password> TakePassword(const QLineEdit &field)
{
    const PasswordBytes bytes(field);
    auto password = std::make_unique<common::Password>();
    if (!password->Assign(bytes.c_str(), bytes.size())) {
        return nullptr;
    }
    return password;
}

void WipePasswordField(QLineEdit &field)
{
    // text() shares the field's own buffer.
    QString text = field.text();
    ZeroInPlace(text);
    // setText, unlike clear(), also drops the undo steps that hold the
    // characters.
    field.setText(QString());
}

} // namespace kovr::locator
