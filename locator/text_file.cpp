#include "locator/text_file.h"

#include <QFile>

namespace kovr::locator {

bool WriteTextFile(const QString &path, const std::string &text, QString &error)
{
    QFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) && file.flush();
    if (!written) {
        error = file.errorString();
    }
    return written;
}

} // namespace kovr::locator
