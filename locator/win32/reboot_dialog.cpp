#include "locator/win32/reboot_dialog.h"

#include "locator/core/record_text.h"
#include "locator/win32/message_box.h"
#include "locator/win32/password_edit.h"
#include "locator/win32/wide_text.h"

namespace kovr::locator {

RebootDialog::RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                           std::shared_ptr<DevicePins> pins)
    : TemplateDialog(kRebootTemplate), library_(library), pins_(std::move(pins)), task_(MakeTask(device))
{}

RebootDialog::~RebootDialog()
{
    // OnDestroy lets go of a running reboot and wipes the password.
    Close(IDCANCEL);
}

std::unique_ptr<RebootTask> RebootDialog::MakeTask(const KOVRDeviceInfoRecord &device)
{
    return std::make_unique<RebootTask>(library_, device, pins_, post_.Poster(), [this](const Message &question) {
        return AskToConfirm(Window(), English(question));
    });
}

void RebootDialog::OnInitDialog()
{
    const KOVRDeviceInfoRecord &device = task_->Device();
    SetWindowTextW(Control(ControlId::ProductLine),
                   Wide(English({TextId::RebootProductLine, {RecordText(device.productName)}})).c_str());
    SetWindowTextW(Control(ControlId::MacLine),
                   Wide(English({TextId::RebootMacLine, {FormatMacAddress(device.macAddress)}})).c_str());
    SetWindowTextW(Control(ControlId::Status), L"");
}

void RebootDialog::OnCommand(int id, int code, HWND control)
{
    if (id == ControlId::Reboot && code == BN_CLICKED) {
        OnReboot();
        return;
    }
    TemplateDialog::OnCommand(id, code, control);
}

void RebootDialog::OnReboot()
{
    if (IsBusy()) {
        return;
    }
    // The password stays in its field for another press.
    std::unique_ptr<common::Password> password = TakePassword(Control(ControlId::RebootPassword), Window());
    if (!password) {
        return;
    }
    busy_ = std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Unchanged);
    RebootTask::Listener listener;
    listener.refused = [this](const std::optional<Message> &error) {
        busy_.reset();
        if (error) {
            ShowMessage(Window(), English(*error));
        }
    };
    listener.rebooting = [this](TextId status) {
        ShowStatus(status);
        busy_ = std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Wait);
    };
    listener.ended = [this](TextId status) {
        ShowStatus(status);
        busy_.reset();
    };
    task_->Start(std::move(password), std::move(listener));
}

void RebootDialog::ShowStatus(TextId status)
{
    SetWindowTextW(Control(ControlId::Status), Wide(EnglishText(status)).c_str());
}

void RebootDialog::OnDestroy()
{
    if (IsBusy()) {
        // The device reboots anyway; the old task ends its wait and closes
        // its session on its worker.
        task_ = MakeTask(task_->Device());
    }
    busy_.reset();
    WipePasswordEdit(Control(ControlId::RebootPassword));
}

} // namespace kovr::locator
