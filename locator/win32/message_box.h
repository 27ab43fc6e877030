#pragma once

#include "locator/core/ui_question.h"

#include <windows.h>

#include <string>

namespace kovr::locator {

// The caption of every message box: the executable's file name without its
// extension.
std::wstring ApplicationTitle();

// The locator's only way of telling the user something: a modal box owned
// by `owner`, with the application title as caption, no icon and an OK
// button; returns when it is dismissed. The text is UTF-8.
void ShowMessage(HWND owner, const std::string &text);

// A question before something the user may regret, such as a password
// sent in plain: OK and Cancel, with Cancel the default, so that Enter
// sends nothing. True for OK.
bool AskToConfirm(HWND owner, const std::string &text);

// The core's questions, in AskToConfirm boxes owned by `owner`.
Confirm ConfirmIn(HWND owner);

// Tests replace the boxes so that nothing waits for a user. Each returns
// the presenter that was in place.
using MessagePresenter = void (*)(HWND owner, const std::string &text);
MessagePresenter SetMessagePresenter(MessagePresenter presenter);
using ConfirmationPresenter = bool (*)(HWND owner, const std::string &text);
ConfirmationPresenter SetConfirmationPresenter(ConfirmationPresenter presenter);

} // namespace kovr::locator
