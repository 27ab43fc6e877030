#include "tools/kovr/record_fields.h"

namespace kovr::cli {

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
