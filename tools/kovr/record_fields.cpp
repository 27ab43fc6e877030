#include "tools/kovr/record_fields.h"

namespace kovr::cli {

std::string Printable(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x" + FormatHex(&byte, 1);
        } else {
            out += c;
        }
    }
    return out;
}

size_t DisplayWidth(const std::string &text)
{
    size_t width = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++width;
        }
    }
    return width;
}

} // namespace kovr::cli
