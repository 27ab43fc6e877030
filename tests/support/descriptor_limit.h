// Lowers the process's descriptor limit so that exactly `spare` descriptors
// can still be opened; whatever the library asks for after those fails as
// it would in a process that has run out. The old limit is restored on
// destruction.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>

namespace kovr::test {

class DescriptorLimit {
public:
    explicit DescriptorLimit(int spare = 0)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        // New descriptors take the lowest free numbers below the limit, so
        // the limit goes right below the (spare + 1)-th free number.
        int number = 0;
        for (int free = 0;; ++number) {
            if (fcntl(number, F_GETFD) == -1 && ++free > spare) {
                break;
            }
        }
        rlimit tight = saved_;
        tight.rlim_cur = static_cast<rlim_t>(number);
        setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }
    DescriptorLimit(const DescriptorLimit &) = delete;
    DescriptorLimit &operator=(const DescriptorLimit &) = delete;

private:
    rlimit saved_{};
};

} // namespace kovr::test
