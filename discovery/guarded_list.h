// The library's one container: a doubly linked list of opaque item pointers
// behind a recursive lock. The list never owns its items.
#pragma once

#include <cstdint>

namespace kovr {

struct GuardedList;

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
void *PopFront(GuardedList *list);
void RemoveEntry(GuardedList *list, const void *item);
void Clear(GuardedList *list);
int32_t Count(GuardedList *list);
void *EntryAt(GuardedList *list, int32_t index);
void *FindFirst(GuardedList *list, ListCompare compare, const void *key);

} // namespace kovr
