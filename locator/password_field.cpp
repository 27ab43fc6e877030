#include "locator/password_field.h"

#include "discovery/platform/secure_zero.h"

#include <QLineEdit>

namespace kovr::locator {

namespace {

// Zeroes the characters where they lie, in the buffer that every implicit
// copy shares: writing through data() would first copy a shared text and
// wipe only the copy. Text outside the heap (a literal) is read-only and no
// secret's copy.
void ZeroInPlace(QString &text)
{
    auto &shared = text.data_ptr();
    if (shared.isMutable()) {
        platform::SecureZero(shared.data(), static_cast<size_t>(text.size()) * sizeof *shared.data());
    }
    text.clear();
}

} // namespace

std::unique_ptr<common::Password> TakePassword(const QLineEdit &field)
{
    // text() shares the field's own buffer, so the conversion leaves no copy
    // behind: the UTF-8 is written straight into the wiped buffer.
    const QString text = field.text();
    auto password = std::make_unique<common::Password>();
    if (!password->AssignUtf16(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<size_t>(text.size()))) {
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
