// The caller's own event and window handles on Windows. A window is checked
// with IsWindow and notified with PostMessageA. An event is checked without
// touching its state, by asking the system about it as an event: a closed
// handle and a handle to anything else are both refused.
#include <windows.h>

#include "discovery/handles.h"

namespace kovr {

namespace {

// ntdll's query of an event's state; only whether it succeeds matters here.
using QueryEventFunction = LONG(NTAPI *)(HANDLE event, int informationClass, void *information, ULONG length,
                                         ULONG *returned);

struct EventBasicInformation {
    int eventType;
    LONG eventState;
};

constexpr int kEventBasicInformation = 0;

QueryEventFunction QueryEvent()
{
    static const QueryEventFunction function = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        const FARPROC address = ntdll != nullptr ? GetProcAddress(ntdll, "NtQueryEvent") : nullptr;
        // Through a generic function pointer, as a cast between unrelated
        // function types must go.
        return reinterpret_cast<QueryEventFunction>(reinterpret_cast<void (*)()>(address));
    }();
    return function;
}

} // namespace

bool IsLiveEvent(KOVR_EVENT event)
{
    if (event == nullptr) {
        return false;
    }
    const QueryEventFunction query = QueryEvent();
    if (query == nullptr) {
        // Without the query, a handle that is open is the best one can tell.
        DWORD flags = 0;
        return GetHandleInformation(event, &flags) != FALSE;
    }
    EventBasicInformation information{};
    ULONG returned = 0;
    return query(event, kEventBasicInformation, &information, sizeof information, &returned) >= 0;
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
