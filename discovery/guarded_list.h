// The engine's one lock-guarded container: a list of items of one type
// behind a mutex that exists from construction. Each operation holds the
// lock for itself alone, so no caller ever holds two list locks at once.
#pragma once

#include <cstdint>
#include <list>
#include <mutex>
#include <new>
#include <utility>

#include "discovery/platform/fault_injection.h"

namespace kovr {

template <typename T>
class GuardedList {
public:
    // The new item's 0-based position, or -1 when there is no memory for it.
    int32_t Append(T item)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (platform::ShouldFail(platform::Fault::ListNodeAllocation)) {
            return -1;
        }
        try {
            items_.push_back(std::move(item));
        } catch (const std::bad_alloc &) { // untestable: out of memory
            return -1;                     // untestable: out of memory
        }
        return static_cast<int32_t>(items_.size() - 1);
    }

    // Takes the oldest item into *item; false when the list is empty.
    bool PopFront(T *item)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (items_.empty()) {
            return false;
        }
        *item = std::move(items_.front());
        items_.pop_front();
        return true;
    }

    // Takes out the first item that `matches`, into *item when given.
    template <typename Predicate>
    bool RemoveFirst(Predicate matches, T *item = nullptr)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = items_.begin(); it != items_.end(); ++it) {
            if (matches(*it)) {
                if (item != nullptr) {
                    *item = std::move(*it);
                }
                items_.erase(it);
                return true;
            }
        }
        return false;
    }

    // Calls `visit` with the first item that `matches`, under the lock;
    // false when none does.
    template <typename Predicate, typename Visitor>
    bool VisitFirst(Predicate matches, Visitor visit) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const T &candidate : items_) {
            if (matches(candidate)) {
                visit(candidate);
                return true;
            }
        }
        return false;
    }

    // Calls `visit` with each item in order, under the lock.
    template <typename Visitor>
    void ForEach(Visitor visit) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const T &item : items_) {
            visit(item);
        }
    }

    void Clear()
    {
        std::list<T> taken;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            taken.swap(items_);
        }
        // The items are released outside the lock: an item's destructor may
        // itself take a list's lock.
    }

    int32_t Count() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int32_t>(items_.size());
    }

private:
    mutable std::mutex mutex_;
    std::list<T> items_;
};

} // namespace kovr
