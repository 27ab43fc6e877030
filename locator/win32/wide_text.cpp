#include "locator/win32/wide_text.h"

#include "common/printable_text.h"
#include "common/utf16_text.h"

namespace kovr::locator {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::wstring &out, char32_t codePoint)
{
    if (codePoint < 0x10000) {
        out += static_cast<wchar_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
    out += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
}

// The code point of a valid sequence of `length` bytes at text[at].
char32_t Decode(const std::string &text, size_t at, size_t length)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = byte(0) & kLeadBits[length];
    for (size_t i = 1; i < length; ++i) {
        codePoint = codePoint << 6 | (byte(i) & 0x3F);
    }
    return codePoint;
}

} // namespace

std::wstring Wide(const std::string &utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        // One rule for what counts as UTF-8, the one device text is shown by.
        const size_t length = common::Utf8SequenceLength(utf8, at);
        const char32_t codePoint = length == 0 ? kReplacement : Decode(utf8, at, length);
        AppendUtf16(out, codePoint == 0 ? kReplacement : codePoint);
        at += length == 0 ? 1 : length;
    }
    return out;
}

std::wstring WideLines(const std::string &utf8)
{
    std::wstring lines;
    for (const wchar_t c : Wide(utf8)) {
        if (c == L'\n') {
            lines += L'\r';
        }
        lines += c;
    }
    return lines;
}

std::string Narrow(const std::wstring &utf16)
{
    // Windows' wide characters are UTF-16 units, each at most three bytes.
    std::string out(utf16.size() * 3, '\0');
    out.resize(
        *common::Utf8FromUtf16(reinterpret_cast<const char16_t *>(utf16.data()), utf16.size(), out.data(), out.size()));
    return out;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace kovr::locator
