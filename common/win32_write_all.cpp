#include "common/write_all.h"

#include <algorithm>

#include <windows.h>

namespace kovr::common {

bool WriteAll(void *file, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        // WriteFile takes at most a DWORD's worth at a time.
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(file, text.data() + done, chunk, &n, nullptr)) {
            return false;
        }
        if (n == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace kovr::common
