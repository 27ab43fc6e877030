#include "discovery/handle_registry.h"

#include <atomic>

namespace kovr {

uintptr_t NextHandleSerial()
{
    // Far above the small values a caller might pass by mistake.
    static std::atomic<uintptr_t> last{0x100000};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace kovr
