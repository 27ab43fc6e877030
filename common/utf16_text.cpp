#include "common/utf16_text.h"

namespace kovr::common {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

size_t Utf8Length(char32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// Straight into the caller's buffer, so that no piece of a password is left
// in a buffer of our own.
void WriteUtf8(char32_t codePoint, size_t length, char *out)
{
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
        codePoint >>= 6;
    }
    out[0] = static_cast<char>(kLead[length] | codePoint);
}

} // namespace

std::optional<size_t> Utf8FromUtf16(const char16_t *text, size_t length, char *out, size_t capacity)
{
    size_t size = 0;
    for (size_t at = 0; at < length; ++at) {
        const char16_t c = text[at];
        char32_t codePoint = c;
        if (IsHighSurrogate(c) && at + 1 < length && IsLowSurrogate(text[at + 1])) {
            codePoint = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[at + 1]) - 0xDC00);
            ++at;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            codePoint = kReplacement;
        }
        const size_t count = Utf8Length(codePoint);
        if (capacity - size < count) {
            return std::nullopt;
        }
        WriteUtf8(codePoint, count, out + size);
        size += count;
    }
    return size;
}

} // namespace kovr::common
