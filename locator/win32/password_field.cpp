#include "locator/win32/password_field.h"

#include "discovery/platform/secure_zero.h"

#include <string>
#include <vector>

namespace kovr::locator {

namespace {

// Characters that are zeroed when they go.
template <typename Char>
class WipedBuffer {
public:
    explicit WipedBuffer(size_t size) : characters_(size, Char()) {}
    ~WipedBuffer() { platform::SecureZero(characters_.data(), characters_.size() * sizeof(Char)); }
    WipedBuffer(const WipedBuffer &) = delete;
    WipedBuffer &operator=(const WipedBuffer &) = delete;

    Char *Data() { return characters_.data(); }
    int Size() const { return static_cast<int>(characters_.size()); }

private:
    std::vector<Char> characters_;
};

} // namespace

std::unique_ptr<common::Password> TakePassword(HWND field)
{
    WipedBuffer<wchar_t> wide(static_cast<size_t>(GetWindowTextLengthW(field)) + 1);
    const int length = GetWindowTextW(field, wide.Data(), wide.Size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.Data(), length, nullptr, 0, nullptr, nullptr);
    WipedBuffer<char> bytes(static_cast<size_t>(size) + 1);
    WideCharToMultiByte(CP_ACP, 0, wide.Data(), length, bytes.Data(), size, nullptr, nullptr);
    auto password = std::make_unique<common::Password>();
    if (!password->Assign(bytes.Data(), static_cast<size_t>(size))) {
        return nullptr;
    }
    return password;
}

void WipePasswordField(HWND field)
{
    // A text as long as the password takes its place in the control's
    // own buffer; the empty one after it leaves nothing to undo.
    const int length = GetWindowTextLengthW(field);
    if (length > 0) {
        SetWindowTextW(field, std::wstring(static_cast<size_t>(length), L'*').c_str());
    }
    SetWindowTextW(field, L"");
    SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
}

} // namespace kovr::locator
