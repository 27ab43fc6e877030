// Lowers the process's descriptor limit to what is open now plus `spare`,
// so that the socket, timer or event the library asks for after those
// fails as it would on a process that has run out; the old limit is
// restored on destruction.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

namespace kovr::testing {

class DescriptorLimit {
public:
    explicit DescriptorLimit(int spare = 0)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowestFree = dup(0);
        close(lowestFree);
        rlimit tight = saved_;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree + spare);
        setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }
    DescriptorLimit(const DescriptorLimit &) = delete;
    DescriptorLimit &operator=(const DescriptorLimit &) = delete;

private:
    rlimit saved_{};
};

} // namespace kovr::testing
