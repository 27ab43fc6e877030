// What the tests of the native locator's windows share: a message loop
// that runs until a condition holds, and the message boxes caught.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kovr::test {

// Delivers the thread's messages as the program's loop does until `done`
// holds; false after `limitMs`.
bool PumpUntil(const std::function<bool()> &done, DWORD limitMs = 20000);
// Delivers what is waiting now.
void PumpPending();

// Collects what would have been shown in message boxes, for its lifetime.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;
    const std::vector<std::string> &Texts() const;
};

// A window's class name and text.
std::wstring ClassOf(HWND window);

} // namespace kovr::test
