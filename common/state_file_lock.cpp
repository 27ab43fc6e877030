#include "common/state_files.h"

#include <algorithm>
#include <thread>

namespace kovr::common {

bool StateFileLock::Take(const std::string &path, std::chrono::milliseconds wait, std::string &error)
{
    if (handle_ == -1 && !Open(path, error)) {
        return false;
    }
    // Polled rather than blocking, so that the wait has an end without a
    // signal or a thread; a holder keeps it for one read and one write.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        switch (TryOnce(path, error)) {
        case Attempt::Taken:
            return true;
        case Attempt::Failed:
            return false;
        case Attempt::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = path + ": another kovr or kovr-locator has held it for more than " +
                    std::to_string((wait.count() + 999) / 1000) + " s";
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(4));
    }
}

} // namespace kovr::common
