#include "tests/windows/locator/window_tests.h"

#include "locator/win32/message_box.h"
#include "locator/win32/template_dialog.h"

namespace kovr::test {

namespace {

std::vector<std::string> g_texts;
locator::MessagePresenter g_previous = nullptr;

void Capture(HWND, const std::string &text)
{
    g_texts.push_back(text);
}

} // namespace

bool PumpUntil(const std::function<bool()> &done, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

void PumpPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        locator::TemplateDialog::Deliver(message);
    }
}

MessageCapture::MessageCapture()
{
    g_texts.clear();
    g_previous = locator::SetMessagePresenter(Capture);
}

MessageCapture::~MessageCapture()
{
    locator::SetMessagePresenter(g_previous);
}

const std::vector<std::string> &MessageCapture::Texts() const
{
    return g_texts;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

} // namespace kovr::test
