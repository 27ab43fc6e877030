#pragma once

#include "locator/template_dialog.h"

#include <kovr/kovr.h>

namespace kovr::locator {

// Every field of one device's record as eleven labelled lines. Makes no
// library call.
class DeviceInfoDialog : public TemplateDialog {
    Q_OBJECT

public:
    explicit DeviceInfoDialog(const KOVRDeviceInfoRecord &device, QWidget *parent = nullptr);
};

} // namespace kovr::locator
