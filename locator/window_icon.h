#pragma once

#include <QIcon>

namespace kovr::locator {

// The locator's icon (resource 128), drawn from its SVG at the usual sizes.
QIcon LoadWindowIcon();

} // namespace kovr::locator
