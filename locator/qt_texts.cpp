#include "locator/qt_texts.h"

#include <QCoreApplication>

namespace kovr::locator {

QString Tr(TextId id)
{
    return QCoreApplication::translate(TextContext(id), EnglishText(id));
}

QString Text(const Message &message)
{
    return FromUtf8(Fill(Tr(message.id).toStdString(), message.args));
}

QString FromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

PostToUi QtPost()
{
    return [](std::function<void()> call) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
    };
}

} // namespace kovr::locator
