#pragma once

#include "locator/library_seam.h"

#include <QString>

namespace kovr::locator {

// The session's last error filled into `format`: %1 the number (signed
// decimal), %2 the message (at most 254 characters; empty when the library
// supplies none).
QString FormatLastError(const LibrarySeam &library, KOVR_HANDLE session, const QString &format);

} // namespace kovr::locator
