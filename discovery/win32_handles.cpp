// The caller's own event and window handles on Windows. A window is checked
// with IsWindow and notified with PostMessageA. An event is checked without
// touching its state, by asking the system what the handle refers to and
// what it may do, which it tells for a handle of any access: a caller may
// hand over an event opened only to be set (EVENT_MODIFY_STATE |
// SYNCHRONIZE). A closed handle, a handle to anything else and an event that
// can't be set are all refused.
#include <windows.h>
#include <winternl.h>

#include <cwchar>

#include "discovery/handles.h"

namespace kovr {

namespace {

// ntdll's query of a handle's object, through GetProcAddress so that the
// library needs no import library of ntdll.
using QueryObjectFunction = LONG(NTAPI *)(HANDLE handle, OBJECT_INFORMATION_CLASS informationClass, void *information,
                                          ULONG length, ULONG *returned);

QueryObjectFunction QueryObject()
{
    static const QueryObjectFunction function = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        const FARPROC address = ntdll != nullptr ? GetProcAddress(ntdll, "NtQueryObject") : nullptr;
        // Through a generic function pointer, as a cast between unrelated
        // function types must go.
        return reinterpret_cast<QueryObjectFunction>(reinterpret_cast<void (*)()>(address));
    }();
    return function;
}

bool MaySetEvent(QueryObjectFunction query, HANDLE handle)
{
    PUBLIC_OBJECT_BASIC_INFORMATION information{};
    ULONG returned = 0;
    return query(handle, ObjectBasicInformation, &information, sizeof information, &returned) >= 0 &&
           (information.GrantedAccess & EVENT_MODIFY_STATE) != 0;
}

bool IsEventObject(QueryObjectFunction query, HANDLE handle)
{
    // The type's name follows the structure in the same buffer.
    union {
        PUBLIC_OBJECT_TYPE_INFORMATION information;
        unsigned char bytes[512];
    } type{};
    ULONG returned = 0;
    if (query(handle, ObjectTypeInformation, &type, sizeof type, &returned) < 0) {
        return false;
    }
    static constexpr wchar_t kEvent[] = L"Event";
    constexpr size_t kEventLength = sizeof kEvent / sizeof kEvent[0] - 1;
    const UNICODE_STRING &name = type.information.TypeName;
    return name.Buffer != nullptr && name.Length == kEventLength * sizeof(wchar_t) &&
           std::wmemcmp(name.Buffer, kEvent, kEventLength) == 0;
}

} // namespace

bool IsLiveEvent(KOVR_EVENT event)
{
    if (event == nullptr) {
        return false;
    }
    const QueryObjectFunction query = QueryObject();
    if (query == nullptr) {
        // Without the query, a handle that is open is the best one can tell.
        DWORD flags = 0;
        return GetHandleInformation(event, &flags) != FALSE;
    }
    return IsEventObject(query, event) && MaySetEvent(query, event);
}

void SignalEvent(KOVR_EVENT event)
{
    if (IsLiveEvent(event)) {
        ::SetEvent(event);
    }
}

bool IsLiveWindow(KOVR_WINDOW window)
{
    return window != nullptr && IsWindow(window) != FALSE;
}

bool PostWindowMessage(KOVR_WINDOW window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return IsLiveWindow(window) && PostMessageA(window, message, wParam, lParam) != FALSE;
}

} // namespace kovr
