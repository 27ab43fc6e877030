#include "locator/message_box.h"

#include "locator/qt_texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace kovr::locator {

namespace {

void ShowMessageBox(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    // A plain OK, without the picture some styles put on standard buttons.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

bool ShowConfirmationBox(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

MessagePresenter g_presenter = ShowMessageBox;
ConfirmationPresenter g_confirmationPresenter = ShowConfirmationBox;

} // namespace

QString ApplicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowMessage(QWidget *owner, const QString &text)
{
    g_presenter(owner, text);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter)
{
    MessagePresenter previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

bool AskToConfirm(QWidget *owner, const QString &text)
{
    return g_confirmationPresenter(owner, text);
}

Confirm ConfirmIn(QWidget *owner)
{
    return [owner](const Message &question) { return AskToConfirm(owner, Text(question)); };
}

ConfirmationPresenter SetConfirmationPresenter(ConfirmationPresenter presenter)
{
    ConfirmationPresenter previous = g_confirmationPresenter;
    g_confirmationPresenter = presenter;
    return previous;
}

} // namespace kovr::locator
