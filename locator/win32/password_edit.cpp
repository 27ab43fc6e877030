#include "locator/win32/password_edit.h"

#include "discovery/platform/secure_zero.h"
#include "locator/core/texts.h"
#include "locator/win32/message_box.h"

#include <string>

namespace kovr::locator {

namespace {

constexpr int kCapacity = static_cast<int>(common::Password::kCapacity);

// The edit's text, read into a buffer that is zeroed however this ends.
struct WipedText {
    wchar_t text[kCapacity] = {};
    ~WipedText() { platform::SecureZero(text, sizeof text); }
};

} // namespace

std::unique_ptr<common::Password> ReadPassword(HWND edit)
{
    auto password = std::make_unique<common::Password>();
    // Each character makes at least one byte: a text too long for the
    // buffer is too long for the password.
    WipedText wide;
    if (GetWindowTextLengthW(edit) < kCapacity) {
        const int length = GetWindowTextW(edit, wide.text, kCapacity);
        // Windows' wide characters are UTF-16 units.
        if (password->AssignUtf16(reinterpret_cast<const char16_t *>(wide.text), static_cast<size_t>(length))) {
            return password;
        }
    }
    return nullptr;
}

std::unique_ptr<common::Password> TakePassword(HWND edit, HWND owner)
{
    std::unique_ptr<common::Password> password = ReadPassword(edit);
    if (!password) {
        ShowMessage(owner, English({TextId::PasswordTooLong, {std::to_string(kCapacity - 1)}}));
    }
    return password;
}

void WipePasswordEdit(HWND edit)
{
    // A text of the same length lands where the password lies, since the
    // edit keeps its buffer while the text doesn't grow.
    const int length = GetWindowTextLengthW(edit);
    if (length > 0) {
        SetWindowTextW(edit, std::wstring(static_cast<size_t>(length), L' ').c_str());
    }
    SetWindowTextW(edit, L"");
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

} // namespace kovr::locator
