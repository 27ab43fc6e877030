#include "locator/win32/reboot_dialog.h"

#include "locator/win32/message_box.h"
#include "locator/win32/password_edit.h"
#include "locator/win32/wide_text.h"

namespace kovr::locator {

RebootDialog::RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                           std::shared_ptr<DevicePins> pins)
    : TemplateDialog(kRebootTemplate),
      run_(
          library, device, std::move(pins), post_.Poster(),
          [this](const Message &question) { return AskToConfirm(Window(), English(question)); },
          [this](const RebootRun::State &state) { Draw(state); })
{}

RebootDialog::~RebootDialog()
{
    // OnDestroy lets go of a running reboot and wipes the password.
    Close(IDCANCEL);
}

void RebootDialog::OnInitDialog()
{
    Draw(run_.Current());
}

void RebootDialog::Draw(const RebootRun::State &state)
{
    SetWindowTextW(Control(ControlId::ProductLine), Wide(English(state.productLine)).c_str());
    SetWindowTextW(Control(ControlId::MacLine), Wide(English(state.macLine)).c_str());
    SetWindowTextW(Control(ControlId::Status), state.status ? Wide(EnglishText(*state.status)).c_str() : L"");
    busy_.reset();
    if (state.busy != RebootRun::Busy::No) {
        busy_ = std::make_unique<BusyWindow>(Window(), state.busy == RebootRun::Busy::Waiting
                                                           ? BusyWindow::Cursor::Wait
                                                           : BusyWindow::Cursor::Unchanged);
    }
    if (state.notice) {
        ShowMessage(Window(), English(*state.notice));
    }
}

void RebootDialog::OnCommand(int id, int code, HWND control)
{
    if (id == ControlId::Reboot && code == BN_CLICKED) {
        // The password stays in its edit for another press. One too long
        // has been refused in a message box already.
        if (std::unique_ptr<common::Password> password = TakePassword(Control(ControlId::RebootPassword), Window())) {
            run_.OnReboot(std::move(password));
        }
        return;
    }
    TemplateDialog::OnCommand(id, code, control);
}

void RebootDialog::OnDestroy()
{
    run_.OnClose();
    busy_.reset();
    WipePasswordEdit(Control(ControlId::RebootPassword));
}

} // namespace kovr::locator
