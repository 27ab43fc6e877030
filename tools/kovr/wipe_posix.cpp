#include "tools/kovr/wipe.h"

#include <string.h>

namespace kovr::cli {

void WipeBytes(void *data, size_t size)
{
    explicit_bzero(data, size);
}

} // namespace kovr::cli
