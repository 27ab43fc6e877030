#include "message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

void ShowMessageBox(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
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
