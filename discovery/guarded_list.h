// The library's one container: a doubly linked list of opaque item pointers
// behind a recursive lock. The list never owns its items.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kovr {

struct ListNode;

// Defined here only so that a list can also be a static object (the session
// registry, which must exist without a lock from program start). Use the
// functions below; never touch the members.
struct GuardedList {
    // Created at InitList, or at the first lock while missing; swapped in
    // atomically so that two threads taking a fresh list's lock agree on one.
    std::atomic<std::recursive_mutex *> lock{nullptr};
    ListNode *first = nullptr;
    ListNode *last = nullptr;
    int32_t count = 0;
};

// Compares a key with an item; 0 means a match.
using ListCompare = int (*)(const void *key, const void *item);

GuardedList *CreateList();
void InitList(GuardedList *list);
void DestroyList(GuardedList *list);
void LockList(GuardedList *list);
void UnlockList(GuardedList *list);
bool Contains(GuardedList *list, const void *item);
// Returns the new item's 0-based position, or -1 (already present, no memory, no list).
int32_t Append(GuardedList *list, void *item);
// Append for an item that cannot be in the list yet (one just allocated):
// the same result, without the walk that looks for it, so that filling a
// list of thousands costs time in proportion to its length.
int32_t AppendNew(GuardedList *list, void *item);
void *PopFront(GuardedList *list);
void RemoveEntry(GuardedList *list, const void *item);
void Clear(GuardedList *list);
int32_t Count(GuardedList *list);
void *EntryAt(GuardedList *list, int32_t index);
void *FindFirst(GuardedList *list, ListCompare compare, const void *key);

} // namespace kovr
