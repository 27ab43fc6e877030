#pragma once

#include "common/device_checks.h"
#include "locator/core/batch_model.h"
#include "locator/core/batch_sources.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/win32/range_controls.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

// Configures several devices of the main window's list at once: draws the
// core's batch model in its template's controls and forwards the user's
// input. Either the selected devices, with DHCP or with addresses counted
// up from a first one, or the devices a plan names, with what it says.
// "Require a challenge" refuses devices that would take their password in
// plain; without it the user is asked once a run before any does. Each
// device's outcome shows as it comes in, while the window paints and moves
// as ever. Cancel stops an apply once the devices in hand are done;
// Escape and the close box do too, and close the dialog then, so that no
// worker is left behind it.
class BatchDialog : public TemplateDialog {
public:
    // The devices at `selected` (positions in the list, in list order).
    BatchDialog(const LibrarySeam &library, BatchDevices devices, std::vector<size_t> selected,
                std::shared_ptr<DevicePins> pins);
    // A plan matched to the list (LoadPlanForList, without an error);
    // `planName` names its file.
    BatchDialog(const LibrarySeam &library, BatchDevices devices, ListPlan plan, const std::string &planName,
                std::shared_ptr<DevicePins> pins);
    ~BatchDialog() override;

    bool IsApplying() const { return model_.Applying(); }
    // Once an apply has run to its end: the list should be searched again.
    bool Applied() const { return model_.Applied(); }

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR &header) override;
    // Apply, also for Enter.
    void OnOK() override;
    // Escape and the close box.
    void OnCancel() override;
    void OnDestroy() override;

private:
    BatchDialog(const DialogTemplate &dialogTemplate, const LibrarySeam &library, BatchDevices devices,
                std::vector<size_t> positions, std::shared_ptr<DevicePins> pins, Message intro);
    HWND Preview() const { return Control(ControlId::BatchPreview); }
    void OnRangeChanged();
    void ShowPreview();
    void SetCell(size_t row, int column, const std::wstring &text);
    void SetMark(size_t row, int mark, const std::string &tip);
    void FitColumns();
    void DisableInputs();
    void ShowOutcome(size_t index, const common::DeviceReport &report);
    void OnApplyEnded();
    // Cancel while an apply runs, Close after.
    void OnCloseButton();
    // The outcome table as CSV, or why it wasn't written.
    void OnSaveOutcomes();

    UiPost post_;
    BatchModel model_;
    const Message intro_;
    std::optional<RangeControls> range_; // Configure Selected Devices only
    std::vector<std::wstring> tips_;     // per row; empty: the cell's own text
    int reported_ = 0;
    bool closeWhenDone_ = false;
};

} // namespace kovr::locator
