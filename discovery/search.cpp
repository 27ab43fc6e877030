#include "search.h"

#include <cstdlib>

#include "guarded_list.h"
#include "wire_format.h"

namespace kovr {

void DiscardResults(GuardedList *queue)
{
    while (void *record = PopFront(queue)) {
        std::free(record);
    }
}

int CompareMacAddress(const void *key, const void *record)
{
    if (key == nullptr || record == nullptr) {
        return -1;
    }
    const auto *keyBytes = static_cast<const uint8_t *>(key);
    const uint8_t *recordBytes = static_cast<const ReplyRecord *>(record)->info.macAddress;
    for (size_t i = 0; i < kMacSize; ++i) {
        if (keyBytes[i] != recordBytes[i]) {
            return keyBytes[i] < recordBytes[i] ? -1 : 1;
        }
    }
    return 0;
}

} // namespace kovr
