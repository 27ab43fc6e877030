#pragma once

#include "locator/core/ui_thread.h"

#include <windows.h>

#include <memory>

namespace kovr::locator {

// The core's PostToUi for this face: a call posted from any thread runs on
// the thread that made the UiPost, from its message loop (any loop: a modal
// dialog's, a message box's or a menu's too), through a message-only window
// of its own. When the UiPost goes, the calls not yet run are destroyed
// without running, and later posts are destroyed as they come: none is
// run for a window that has gone, and none is leaked.
class UiPost {
public:
    UiPost();
    ~UiPost();
    UiPost(const UiPost &) = delete;
    UiPost &operator=(const UiPost &) = delete;

    PostToUi Poster() const;

private:
    struct Mailbox;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::shared_ptr<Mailbox> mailbox_;
    HWND window_ = nullptr;
};

} // namespace kovr::locator
