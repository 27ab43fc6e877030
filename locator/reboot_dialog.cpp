#include "locator/reboot_dialog.h"

#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/qt_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kovr::locator {

RebootDialog::RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                           std::shared_ptr<DevicePins> pins, QWidget *parent)
    : TemplateDialog(kRebootTemplate, parent), password_(ControlAs<QLineEdit>(ControlId::RebootPassword)),
      run_(library, device, std::move(pins), QtPost(), ConfirmIn(this),
           [this](const RebootRun::State &state) { Draw(state); })
{
    connect(ControlAs<QPushButton>(ControlId::Reboot), &QPushButton::clicked, this, &RebootDialog::OnReboot);
    Draw(run_.Current());
}

void RebootDialog::Draw(const RebootRun::State &state)
{
    ControlAs<QLabel>(ControlId::ProductLine)->setText(Text(state.productLine));
    ControlAs<QLabel>(ControlId::MacLine)->setText(Text(state.macLine));
    ControlAs<QLabel>(ControlId::Status)->setText(state.status ? Tr(*state.status) : QString());
    busy_.reset();
    if (state.busy != RebootRun::Busy::No) {
        busy_ = std::make_unique<BusyWindow>(
            this, state.busy == RebootRun::Busy::Waiting ? BusyWindow::Cursor::Wait : BusyWindow::Cursor::Unchanged);
    }
    if (state.notice) {
        ShowMessage(this, Text(*state.notice));
    }
}

void RebootDialog::OnReboot()
{
    // The password stays in its field for another press.
    run_.OnReboot(TakePassword(*password_));
}

void RebootDialog::done(int result)
{
    run_.OnClose();
    WipePasswordField(*password_);
    TemplateDialog::done(result);
}

} // namespace kovr::locator
