#include "locator/message_box.h"

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

MessagePresenter g_presenter = ShowMessageBox;

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

} // namespace kovr::locator
