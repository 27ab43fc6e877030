#include "tools/kovr/wipe.h"

#include <windows.h>

namespace kovr::cli {

void WipeBytes(void *data, size_t size)
{
    SecureZeroMemory(data, size);
}

} // namespace kovr::cli
