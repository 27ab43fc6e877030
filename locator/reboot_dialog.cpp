#include "locator/reboot_dialog.h"

#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/record_text.h"
#include "locator/stop_signal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kovr::locator {

RebootDialog::RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, QWidget *parent)
    : TemplateDialog(kRebootTemplate, parent), library_(library), device_(device),
      password_(ControlAs<QLineEdit>(ControlId::RebootPassword)), status_(ControlAs<QLabel>(ControlId::Status)),
      stop_(std::make_shared<StopSignal>()),
      pause_([stop = stop_](int milliseconds) { stop->Pause(std::chrono::milliseconds(milliseconds)); })
{
    ControlAs<QLabel>(ControlId::ProductLine)->setText(tr("Product Name:\t%1").arg(RecordText(device.productName)));
    ControlAs<QLabel>(ControlId::MacLine)->setText(tr("MAC Address:    %1").arg(FormatMacAddress(device.macAddress)));
    status_->clear();

    connect(ControlAs<QPushButton>(ControlId::Reboot), &QPushButton::clicked, this, &RebootDialog::OnReboot);
    connect(&command_, &QFutureWatcher<int32_t>::finished, this, &RebootDialog::OnRebootSent);
    connect(&wait_, &QFutureWatcher<common::RebootOutcome>::finished, this, &RebootDialog::OnWaitEnded);
}

void RebootDialog::OnReboot()
{
    if (IsBusy()) {
        return;
    }
    session_ = std::make_unique<CommandSession>(library_);
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    // The password stays in its field for another press.
    command_.setFuture(session_->Run(
        [library = &library_, device = device_, password = PasswordBytes(*password_)](KOVR_HANDLE session) {
            return library->RebootDevice(session, device.macAddress, password.c_str());
        }));
}

void RebootDialog::OnRebootSent()
{
    if (command_.result() != 0) {
        busy_.reset();
        ShowRebootError(session_->Handle());
        session_.reset();
        return;
    }

    status_->setText(QString::fromLatin1(common::kRebootingStatus));
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    wait_.setFuture(
        session_->Run([library = &library_, device = device_, pause = pause_, stop = stop_](KOVR_HANDLE session) {
            return common::WaitForDevice(
                [&] {
                    // Once the dialog has gone, nobody reads the outcome.
                    if (stop->Stopped()) {
                        return true;
                    }
                    KOVRDeviceInfoRecord scratch;
                    return library->GetDeviceInfo(session, device.macAddress, &scratch) == 0;
                },
                [&] { pause(static_cast<int>(common::kRebootPollPause.count())); });
        }));
}

void RebootDialog::OnWaitEnded()
{
    status_->setText(QString::fromLatin1(common::RebootStatusText(wait_.result())));
    busy_.reset();
    session_.reset();
}

void RebootDialog::done(int result)
{
    if (IsBusy()) {
        // The device reboots anyway; the wait ends, and the session is
        // closed on the worker once its call has returned.
        stop_->Stop();
        command_.disconnect(this);
        wait_.disconnect(this);
        session_.reset();
        busy_.reset();
    }
    WipePasswordField(*password_);
    TemplateDialog::done(result);
}

void RebootDialog::ShowRebootError(KOVR_HANDLE session)
{
    // "occured" is how this message has always read.
    ShowMessage(this, FormatLastError(
                          library_, session,
                          tr("An Error occured while rebooting the device.\nError Number: %1\nError Message: %2\n")));
}

} // namespace kovr::locator
