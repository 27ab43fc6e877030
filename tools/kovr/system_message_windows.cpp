#include "tools/kovr/system_message.h"

#include <windows.h>

namespace kovr::cli {

std::string SystemMessage(unsigned long code)
{
    char text[256];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    // The text ends with a line break and often a full stop.
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.')) {
        --length;
    }
    if (length == 0) {
        return "error " + std::to_string(code);
    }
    return std::string(text, length);
}

} // namespace kovr::cli
