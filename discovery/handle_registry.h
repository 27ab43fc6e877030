// The handles that callers hold (sessions, events and windows): serial
// numbers, never addresses, so a closed handle never matches a later object
// and a foreign value is refused without being read through. A lookup hands
// out shared ownership, so an object lives as long as any call that uses
// it, whoever closes its handle meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "discovery/guarded_list.h"

namespace kovr {

// One sequence for every kind, so a handle of one kind is never another's.
uintptr_t NextHandleSerial();

template <typename Object>
class HandleRegistry {
public:
    using Pointer = std::shared_ptr<Object>;

    // The new handle, or 0 when the registry can't hold it.
    uintptr_t Add(Pointer object)
    {
        const uintptr_t handle = NextHandleSerial();
        return entries_.Append(Entry{handle, std::move(object)}) < 0 ? 0 : handle;
    }

    Pointer Find(uintptr_t handle) const
    {
        Pointer found;
        entries_.VisitFirst([handle](const Entry &entry) { return entry.handle == handle; },
                            [&found](const Entry &entry) { found = entry.object; });
        return found;
    }

    // Takes the object out; the last holder of it releases it.
    Pointer Remove(uintptr_t handle)
    {
        Entry removed;
        entries_.RemoveFirst([handle](const Entry &entry) { return entry.handle == handle; }, &removed);
        return std::move(removed.object);
    }

    int32_t Count() const { return entries_.Count(); }

private:
    struct Entry {
        uintptr_t handle = 0;
        Pointer object;
    };
    GuardedList<Entry> entries_;
};

} // namespace kovr
