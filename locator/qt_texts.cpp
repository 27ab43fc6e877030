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
        // Once the application has ended, nobody is left to tell.
        if (QCoreApplication *application = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(application, std::move(call), Qt::QueuedConnection);
        }
    };
}

} // namespace kovr::locator
