#pragma once

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

// Tests replace the box so that nothing waits for a user. Returns the
// presenter that was in place.
using MessagePresenter = void (*)(QWidget *owner, const QString &text);
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

} // namespace kovr::locator
