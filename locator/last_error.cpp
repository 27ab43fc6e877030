#include "locator/last_error.h"

namespace kovr::locator {

QString FormatLastError(const LibrarySeam &library, KOVR_HANDLE session, const QString &format)
{
    const int32_t number = library.GetLastError(session);
    // Zeroed, so that a call that fails without writing leaves an empty text.
    char message[256] = {};
    library.GetLastErrorMessage(session, message, sizeof message - 1);
    message[sizeof message - 1] = '\0';
    return format.arg(QString::number(number), QString::fromLocal8Bit(message));
}

} // namespace kovr::locator
