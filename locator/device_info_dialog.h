#ifndef KOVR_LOCATOR_DEVICE_INFO_DIALOG_H
#define KOVR_LOCATOR_DEVICE_INFO_DIALOG_H

#include "locator/template_dialog.h"

#include <kovr/kovr.h>

// Every field of one device's record as eleven labelled lines. Makes no
// library call.
class DeviceInfoDialog : public TemplateDialog {
    Q_OBJECT

public:
    explicit DeviceInfoDialog(QWidget *parent = nullptr);

    // Borrowed from the main window for the dialog's run.
    const KOVRDeviceInfoRecord *m_device = nullptr;

protected:
    void OnInitDialog() override;

private:
    QString m_details;
};

#endif
