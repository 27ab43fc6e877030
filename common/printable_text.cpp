#include "common/printable_text.h"

#include "common/hex.h"

namespace kovr::common {

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

} // namespace kovr::common
