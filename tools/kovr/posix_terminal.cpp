#include "tools/kovr/terminal.h"

#include <unistd.h>

namespace kovr::cli {

bool RedrawsLinesInPlace(int fd)
{
    return isatty(fd) == 1;
}

} // namespace kovr::cli
