// The ids of kovr-locator.rc's resources, for the resource compiler and
// the code alike.
#pragma once

#define KOVR_LOCATOR_ICON 1
