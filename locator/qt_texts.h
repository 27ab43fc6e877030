#pragma once

#include "locator/core/texts.h"
#include "locator/core/ui_thread.h"

#include <QString>

#include <string>

namespace kovr::locator {

// The core's texts translated in their context, and filled in.
QString Tr(TextId id);
QString Text(const Message &message);
// The core's UTF-8 text as Qt holds it.
QString FromUtf8(const std::string &text);

// Posts to the GUI thread through the application object, which outlives
// every window; the core drops what a window gone meanwhile would receive.
PostToUi QtPost();

} // namespace kovr::locator
