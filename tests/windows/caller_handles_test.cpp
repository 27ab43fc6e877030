// A search notifies the caller's own Win32 objects through kovr.dll: a
// message posted to a real window, an event that WaitForSingleObject sees.
// An event handle that may only be set will do. Windows that are gone,
// handles that are no events and events that can't be set are refused. The
// lab runs the example devices, so every search finds somebody.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "kovr/kovr.h"

namespace {

constexpr KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;
constexpr UINT kSearchMessage = WM_APP + 7;
constexpr uintptr_t kUserValue = 0x5EA7C0DE;
constexpr DWORD kNotificationTimeoutMs = 15000;

// A message-only window of this thread: messages posted to it wait in this
// thread's queue.
class MessageOnlyWindow {
public:
    MessageOnlyWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KovrTestWindow";
        RegisterClassA(&windowClass); // fails harmlessly once it exists
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    }
    ~MessageOnlyWindow() { Destroy(); }
    MessageOnlyWindow(const MessageOnlyWindow &) = delete;
    MessageOnlyWindow &operator=(const MessageOnlyWindow &) = delete;

    HWND handle() const { return window_; }
    void Destroy()
    {
        if (window_ != nullptr) {
            DestroyWindow(window_);
            window_ = nullptr;
        }
    }
    // Waits for the next `message` to this window, as a message loop would.
    bool WaitFor(UINT message, MSG *received, DWORD timeoutMs) const
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (PeekMessageA(received, window_, message, message, PM_REMOVE)) {
                return true;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_POSTMESSAGE);
        }
    }

private:
    HWND window_ = nullptr;
};

class Session {
public:
    Session() : handle_(KOVROpenByGuid(&kLocatorGuid)) {}
    ~Session() { KOVRClose(handle_); }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    KOVR_HANDLE handle() const { return handle_; }

private:
    KOVR_HANDLE handle_;
};

// A handle of the caller's, closed when it goes.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle()
    {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Another handle to the same event, with only the given access.
HANDLE WithAccess(HANDLE event, DWORD access)
{
    HANDLE duplicate = nullptr;
    return DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &duplicate, access, FALSE, 0) ? duplicate
                                                                                                          : nullptr;
}

TEST(WindowNotification, PostsTheMessageWithWParamZeroAndTheCallersValue)
{
    MessageOnlyWindow window;
    ASSERT_NE(window.handle(), nullptr);
    Session session;
    ASSERT_NE(session.handle(), nullptr);
    ASSERT_EQ(KOVRStartAsyncSearchMessage(session.handle(), window.handle(), kSearchMessage, kUserValue), 0);
    MSG message{};
    ASSERT_TRUE(window.WaitFor(kSearchMessage, &message, kNotificationTimeoutMs));
    EXPECT_EQ(message.hwnd, window.handle());
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(static_cast<uintptr_t>(message.lParam), kUserValue);
    KOVRStopSearch(session.handle());
    EXPECT_GE(KOVRGetSearchResultCount(session.handle()), 1);
}

TEST(WindowNotification, AWindowDestroyedDuringTheSearchIsSkipped)
{
    MessageOnlyWindow window;
    Session session;
    ASSERT_EQ(KOVRStartAsyncSearchMessage(session.handle(), window.handle(), kSearchMessage, kUserValue), 0);
    window.Destroy();
    Sleep(500);
    KOVRStopSearch(session.handle());
    EXPECT_GE(KOVRGetSearchResultCount(session.handle()), 1);
}

// A caller may open its event with all access, or with no more than SetEvent
// and a wait need.
TEST(EventNotification, SetsTheCallersEventWhateverElseItsHandleMayDo)
{
    const OwnedHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_NE(event.get(), nullptr);
    const OwnedHandle settable(WithAccess(event.get(), EVENT_MODIFY_STATE | SYNCHRONIZE));
    ASSERT_NE(settable.get(), nullptr);
    for (const HANDLE handle : {event.get(), settable.get()}) {
        Session session;
        ASSERT_EQ(KOVRStartAsyncSearchEvent(session.handle(), handle), 0)
            << (handle == event.get() ? "all access" : "EVENT_MODIFY_STATE | SYNCHRONIZE");
        EXPECT_EQ(WaitForSingleObject(handle, kNotificationTimeoutMs), WAIT_OBJECT_0);
        KOVRStopSearch(session.handle());
        EXPECT_GE(KOVRGetSearchResultCount(session.handle()), 1);
    }
}

TEST(CallerHandles, WhatCanNeverBeNotifiedIsRefused)
{
    Session session;
    MessageOnlyWindow destroyed;
    const HWND gone = destroyed.handle();
    destroyed.Destroy();
    MessageOnlyWindow live;

    HANDLE closed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(closed);
    const OwnedHandle mutex(CreateMutexA(nullptr, FALSE, nullptr));
    const OwnedHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const OwnedHandle waitOnly(WithAccess(event.get(), SYNCHRONIZE));
    ASSERT_NE(waitOnly.get(), nullptr);
    HANDLE thread = GetCurrentThread();

    EXPECT_EQ(KOVRStartAsyncSearchMessage(session.handle(), nullptr, kSearchMessage, 0), -1) << "no window";
    EXPECT_EQ(KOVRStartAsyncSearchMessage(session.handle(), gone, kSearchMessage, 0), -1) << "destroyed window";
    EXPECT_EQ(KOVRStartAsyncSearchMessage(session.handle(), live.handle(), 0, 0), -1) << "message 0";
    EXPECT_EQ(KOVRStartAsyncSearchMessage(nullptr, live.handle(), kSearchMessage, 0), -1) << "no session";
    const struct {
        const char *what;
        HANDLE event;
    } events[] = {
        {"no event", nullptr},
        {"closed event", closed},
        {"a mutex", mutex.get()},
        {"an event that can't be set", waitOnly.get()},
        {"a thread", thread},
        {"a window", reinterpret_cast<HANDLE>(live.handle())},
        {"invalid handle value", INVALID_HANDLE_VALUE},
    };
    for (const auto &c : events) {
        EXPECT_EQ(KOVRStartAsyncSearchEvent(session.handle(), c.event), -1) << c.what;
    }
    // None of them started a search.
    EXPECT_EQ(KOVRGetSearchResultCount(session.handle()), 0);
}

TEST(SyncSearch, FindsEveryDeviceOfTheLab)
{
    Session session;
    EXPECT_EQ(KOVRStartSyncSearchEx(session.handle(), 1000, 20000), 3);
    KOVRDeviceInfoRecord records[4] = {};
    ASSERT_EQ(KOVRGetSearchResults(session.handle(), records, 4), 3);
    for (const KOVRDeviceInfoRecord &record : records) {
        if (record.recordSize != 0) {
            EXPECT_EQ(record.recordSize, sizeof(KOVRDeviceInfoRecord));
            EXPECT_EQ(record.macAddress[0], 0x02);
        }
    }
}

} // namespace
