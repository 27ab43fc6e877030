#include "guarded_list.h"

#include <new>

#include "platform/fault_injection.h"

namespace kovr {

struct ListNode {
    ListNode *previous;
    ListNode *next;
    void *item;
};

namespace {

// Returns the list's lock, creating it when it is missing. Two threads may
// race here on a list whose lock was never made; the loser drops its own.
std::recursive_mutex *EnsureLock(GuardedList *list)
{
    std::recursive_mutex *lock = list->lock.load(std::memory_order_acquire);
    if (lock != nullptr) {
        return lock;
    }
    auto *created = new (std::nothrow) std::recursive_mutex;
    if (created == nullptr) {
        return nullptr; // untestable: out of memory
    }
    if (list->lock.compare_exchange_strong(lock, created, std::memory_order_acq_rel)) {
        return created;
    }
    delete created; // untestable: two threads racing to make the first lock
    return lock;    // untestable: two threads racing to make the first lock
}

// Holds the list's lock for one operation. A list whose lock cannot be made
// even now is treated as missing: operating on it unguarded could corrupt it.
class ListGuard {
public:
    explicit ListGuard(GuardedList *list) : lock_(list != nullptr ? EnsureLock(list) : nullptr)
    {
        if (lock_ != nullptr) {
            lock_->lock();
        }
    }
    ~ListGuard()
    {
        if (lock_ != nullptr) {
            lock_->unlock();
        }
    }
    ListGuard(const ListGuard &) = delete;
    ListGuard &operator=(const ListGuard &) = delete;

    bool Held() const { return lock_ != nullptr; }

private:
    std::recursive_mutex *lock_;
};

ListNode *FindNode(GuardedList *list, const void *item)
{
    ListGuard guard(list);
    if (!guard.Held()) {
        return nullptr;
    }
    for (ListNode *node = list->first; node != nullptr; node = node->next) {
        if (node->item == item) {
            return node;
        }
    }
    return nullptr;
}

} // namespace

GuardedList *CreateList()
{
    auto *list = new (std::nothrow) GuardedList;
    if (list != nullptr) {
        InitList(list);
    }
    return list;
}

void InitList(GuardedList *list)
{
    if (list == nullptr) {
        return;
    }
    // A failure here is not reported: the lock is tried again at first use.
    EnsureLock(list);
    list->first = nullptr;
    list->last = nullptr;
    list->count = 0;
}

void DestroyList(GuardedList *list)
{
    if (list == nullptr) {
        return;
    }
    Clear(list);
    delete list->lock.exchange(nullptr);
    delete list;
}

void LockList(GuardedList *list)
{
    if (list == nullptr) {
        return;
    }
    if (std::recursive_mutex *lock = EnsureLock(list)) {
        lock->lock();
    }
}

void UnlockList(GuardedList *list)
{
    if (list == nullptr) {
        return;
    }
    // A lock made only now was never taken, so releasing it would be wrong.
    if (std::recursive_mutex *lock = list->lock.load(std::memory_order_acquire)) {
        lock->unlock();
    }
}

bool Contains(GuardedList *list, const void *item)
{
    return FindNode(list, item) != nullptr;
}

int32_t Append(GuardedList *list, void *item)
{
    ListGuard guard(list);
    if (!guard.Held() || Contains(list, item)) {
        return -1;
    }
    return AppendNew(list, item);
}

int32_t AppendNew(GuardedList *list, void *item)
{
    ListGuard guard(list);
    if (!guard.Held()) {
        return -1;
    }
    if (platform::ShouldFail(platform::Fault::ListNodeAllocation)) {
        return -1;
    }
    auto *node = new (std::nothrow) ListNode{list->last, nullptr, item};
    if (node == nullptr) {
        return -1;
    }
    if (list->last == nullptr) {
        list->first = node;
    } else {
        list->last->next = node;
    }
    list->last = node;
    return list->count++;
}

void *PopFront(GuardedList *list)
{
    ListGuard guard(list);
    if (!guard.Held() || list->first == nullptr) {
        return nullptr;
    }
    ListNode *node = list->first;
    list->first = node->next;
    if (list->first != nullptr) {
        list->first->previous = nullptr;
    } else {
        list->last = nullptr;
    }
    list->count--;
    void *item = node->item;
    delete node;
    return item;
}

void RemoveEntry(GuardedList *list, const void *item)
{
    ListGuard guard(list);
    ListNode *node = FindNode(list, item);
    if (node == nullptr) {
        return;
    }
    if (node->previous != nullptr) {
        node->previous->next = node->next;
    } else {
        list->first = node->next;
    }
    if (node->next != nullptr) {
        node->next->previous = node->previous;
    } else {
        list->last = node->previous;
    }
    list->count--;
    delete node;
}

void Clear(GuardedList *list)
{
    ListGuard guard(list);
    while (Count(list) > 0) {
        PopFront(list);
    }
}

int32_t Count(GuardedList *list)
{
    ListGuard guard(list);
    if (!guard.Held()) {
        return -1;
    }
    return list->count;
}

void *EntryAt(GuardedList *list, int32_t index)
{
    ListGuard guard(list);
    if (index < 0 || index >= Count(list)) {
        return nullptr;
    }
    ListNode *node = list->first;
    for (int32_t step = 0; step < index; ++step) {
        node = node->next;
    }
    return node->item;
}

void *FindFirst(GuardedList *list, ListCompare compare, const void *key)
{
    ListGuard guard(list);
    if (!guard.Held() || compare == nullptr) {
        return nullptr;
    }
    for (ListNode *node = list->first; node != nullptr; node = node->next) {
        if (compare(key, node->item) == 0) {
            return node->item;
        }
    }
    return nullptr;
}

} // namespace kovr
