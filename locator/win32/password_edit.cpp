#include "locator/win32/password_edit.h"

#include "discovery/platform/secure_zero.h"
#include "locator/core/texts.h"
#include "locator/win32/message_box.h"

#include <string>

namespace kovr::locator {

namespace {

constexpr int kCapacity = static_cast<int>(common::Password::kCapacity);

// A fixed buffer that is zeroed however the function that holds it ends.
template <typename Char>
struct WipedBuffer {
    Char text[kCapacity] = {};
    ~WipedBuffer() { platform::SecureZero(text, sizeof text); }
};

// The password's UTF-8 length in `bytes`, or -1 when it doesn't fit.
int ReadUtf8(HWND edit, WipedBuffer<wchar_t> &wide, WipedBuffer<char> &bytes)
{
    // Each character makes at least one byte: a text too long for the wide
    // buffer is too long for the password.
    if (GetWindowTextLengthW(edit) >= kCapacity) {
        return -1;
    }
    const int length = GetWindowTextW(edit, wide.text, kCapacity);
    if (length == 0) {
        return 0;
    }
    // Room for the terminator that Password keeps; 0 when it doesn't fit.
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.text, length, bytes.text, kCapacity - 1, nullptr, nullptr);
    return size > 0 ? size : -1;
}

} // namespace

std::unique_ptr<common::Password> ReadPassword(HWND edit)
{
    auto password = std::make_unique<common::Password>();
    WipedBuffer<wchar_t> wide;
    WipedBuffer<char> bytes;
    const int size = ReadUtf8(edit, wide, bytes);
    if (size >= 0 && password->Assign(bytes.text, static_cast<size_t>(size))) {
        return password;
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
