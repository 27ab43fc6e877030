#pragma once

#include "locator/core/ui_question.h"

#include <QString>

class QWidget;

namespace kovr::locator {

// The caption of every message box: the executable's file name without its
// extension.
QString ApplicationTitle();

// The locator's only way of telling the user something: a modal box owned by
// `owner`, with the application title as caption, no icon and an OK button;
// returns when it is dismissed.
void ShowMessage(QWidget *owner, const QString &text);

// A question before something the user may regret, such as a password
// sent in plain: OK and Cancel, with Cancel the default, so that Enter
// sends nothing. True for OK.
bool AskToConfirm(QWidget *owner, const QString &text);

// The core's questions, in AskToConfirm boxes owned by `owner`.
Confirm ConfirmIn(QWidget *owner);

// Tests replace the boxes so that nothing waits for a user. Each returns
// the presenter that was in place.
using MessagePresenter = void (*)(QWidget *owner, const QString &text);
MessagePresenter SetMessagePresenter(MessagePresenter presenter);
using ConfirmationPresenter = bool (*)(QWidget *owner, const QString &text);
ConfirmationPresenter SetConfirmationPresenter(ConfirmationPresenter presenter);

} // namespace kovr::locator
