#include "locator/win32/ui_post.h"

#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace kovr::locator {

namespace {

constexpr wchar_t kWindowClass[] = L"kovr.locator.UiPost";
// "Calls are waiting": the calls themselves stay in the mailbox, so that
// none is lost with a message that never arrives.
constexpr UINT kRunCalls = WM_APP;

void RegisterClassOnce(WNDPROC procedure)
{
    static const ATOM atom = [procedure] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass);
    }();
    static_cast<void>(atom);
}

} // namespace

struct UiPost::Mailbox : std::enable_shared_from_this<Mailbox> {
    std::mutex mutex;
    HWND window = nullptr; // none once closed
    bool wakePending = false;
    std::deque<std::function<void()>> calls;

    void Post(std::function<void()> call)
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (!window) {
            lock.unlock();
            return; // `call` is destroyed here, unrun
        }
        calls.push_back(std::move(call));
        // Posted under the lock, so the window can't go in between.
        if (!wakePending) {
            wakePending = PostMessageW(window, kRunCalls, 0, 0) != FALSE;
        }
    }

    void RunCalls()
    {
        // A call may destroy the UiPost, and the mailbox with it.
        const std::shared_ptr<Mailbox> self = shared_from_this();
        std::deque<std::function<void()>> taken;
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken.swap(calls);
            wakePending = false;
        }
        for (std::function<void()> &call : taken) {
            if (!Open()) {
                break; // the rest are destroyed with `taken`, unrun
            }
            call();
        }
    }

    bool Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return window != nullptr;
    }

    std::deque<std::function<void()>> Close()
    {
        std::lock_guard<std::mutex> lock(mutex);
        window = nullptr;
        return std::move(calls);
    }
};

UiPost::UiPost() : mailbox_(std::make_shared<Mailbox>())
{
    RegisterClassOnce(WindowProc);
    window_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(mailbox_.get()));
    mailbox_->window = window_;
}

UiPost::~UiPost()
{
    // Destroyed outside the lock: a call may hold something whose
    // destructor posts.
    mailbox_->Close();
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

PostToUi UiPost::Poster() const
{
    return [mailbox = mailbox_](std::function<void()> call) { mailbox->Post(std::move(call)); };
}

LRESULT CALLBACK UiPost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunCalls) {
        if (auto *mailbox = reinterpret_cast<Mailbox *>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            mailbox->RunCalls();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kovr::locator
