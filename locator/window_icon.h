#ifndef KOVR_LOCATOR_WINDOW_ICON_H
#define KOVR_LOCATOR_WINDOW_ICON_H

#include <QIcon>

// The locator's icon (resource 128), drawn from its SVG at the usual sizes.
QIcon LoadWindowIcon();

#endif
