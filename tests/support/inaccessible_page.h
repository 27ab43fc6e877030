// A page that faults on any access, for pointer values that a function must
// refuse without ever reading through them.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace kovr::test {

class InaccessiblePage {
public:
    InaccessiblePage()
        : size_(static_cast<size_t>(sysconf(_SC_PAGESIZE))),
          page_(mmap(nullptr, size_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))
    {}
    ~InaccessiblePage() { munmap(page_, size_); }
    InaccessiblePage(const InaccessiblePage &) = delete;
    InaccessiblePage &operator=(const InaccessiblePage &) = delete;

    bool mapped() const { return page_ != MAP_FAILED; }
    uintptr_t address() const { return reinterpret_cast<uintptr_t>(page_); }
    size_t size() const { return size_; }

private:
    size_t size_;
    void *page_;
};

} // namespace kovr::test
