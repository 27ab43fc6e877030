#include "locator/reboot_dialog.h"

#include "locator/core/record_text.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/qt_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kovr::locator {

RebootDialog::RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                           std::shared_ptr<DevicePins> pins, QWidget *parent)
    : TemplateDialog(kRebootTemplate, parent), library_(library), pins_(std::move(pins)),
      task_(std::make_unique<RebootTask>(library, device, pins_, QtPost(), ConfirmIn(this))),
      password_(ControlAs<QLineEdit>(ControlId::RebootPassword)), status_(ControlAs<QLabel>(ControlId::Status))
{
    ControlAs<QLabel>(ControlId::ProductLine)
        ->setText(Text({TextId::RebootProductLine, {RecordText(device.productName)}}));
    ControlAs<QLabel>(ControlId::MacLine)
        ->setText(Text({TextId::RebootMacLine, {FormatMacAddress(device.macAddress)}}));
    status_->clear();
    connect(ControlAs<QPushButton>(ControlId::Reboot), &QPushButton::clicked, this, &RebootDialog::OnReboot);
}

void RebootDialog::OnReboot()
{
    if (IsBusy()) {
        return;
    }
    // The password stays in its field for another press.
    std::unique_ptr<common::Password> password = TakePassword(*password_);
    if (!password) {
        ShowMessage(this, Text({TextId::PasswordTooLong, {std::to_string(common::Password::kCapacity - 1)}}));
        return;
    }
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    RebootTask::Listener listener;
    listener.refused = [this](const std::optional<Message> &error) {
        busy_.reset();
        if (error) {
            ShowMessage(this, Text(*error));
        }
    };
    listener.rebooting = [this](TextId status) {
        status_->setText(Tr(status));
        busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    };
    listener.ended = [this](TextId status) {
        status_->setText(Tr(status));
        busy_.reset();
    };
    task_->Start(std::move(password), std::move(listener));
}

void RebootDialog::done(int result)
{
    if (IsBusy()) {
        // The device reboots anyway; the old task ends its wait and closes
        // its session on its worker.
        task_ = std::make_unique<RebootTask>(library_, task_->Device(), pins_, QtPost(), ConfirmIn(this));
        busy_.reset();
    }
    WipePasswordField(*password_);
    TemplateDialog::done(result);
}

} // namespace kovr::locator
