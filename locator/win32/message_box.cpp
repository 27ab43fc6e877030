#include "locator/win32/message_box.h"

#include "locator/win32/wide_text.h"

namespace kovr::locator {

namespace {

void ShowMessageBox(HWND owner, const std::string &text)
{
    MessageBoxW(owner, Wide(text).c_str(), ApplicationTitle().c_str(), MB_OK);
}

bool ShowConfirmationBox(HWND owner, const std::string &text)
{
    return MessageBoxW(owner, Wide(text).c_str(), ApplicationTitle().c_str(),
                       MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING) == IDOK;
}

MessagePresenter g_presenter = ShowMessageBox;
ConfirmationPresenter g_confirmationPresenter = ShowConfirmationBox;

} // namespace

std::wstring ApplicationTitle()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t nameStart = path.find_last_of(L"\\/") + 1; // 0 when there is no folder
    const size_t extension = path.rfind(L'.');
    return path.substr(nameStart, extension == std::wstring::npos || extension < nameStart ? std::wstring::npos
                                                                                           : extension - nameStart);
}

void ShowMessage(HWND owner, const std::string &text)
{
    g_presenter(owner, text);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter)
{
    const MessagePresenter previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

bool AskToConfirm(HWND owner, const std::string &text)
{
    return g_confirmationPresenter(owner, text);
}

Confirm ConfirmIn(HWND owner)
{
    return [owner](const Message &question) { return AskToConfirm(owner, English(question)); };
}

ConfirmationPresenter SetConfirmationPresenter(ConfirmationPresenter presenter)
{
    const ConfirmationPresenter previous = g_confirmationPresenter;
    g_confirmationPresenter = presenter;
    return previous;
}

} // namespace kovr::locator
