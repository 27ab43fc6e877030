#pragma once

#include "common/plan.h"
#include "locator/core/batch_model.h"
#include "locator/core/library_seam.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace kovr::locator {

class RangeControls;

// Configures several devices of the main window's list at once: draws the
// core's batch model and forwards the user's input. Either the selected
// devices, with DHCP or with addresses counted up from a first one, or the
// devices a plan names, with what it says. "Require a challenge" refuses
// devices that would take their password in plain; without it the user is
// asked once a run before any does. Cancel and closing the dialog
// stop an apply once the devices in hand are done; the dialog closes only
// when no worker is left.
class BatchDialog : public QDialog {
    Q_OBJECT

public:
    using Devices = BatchDevices;

    // The devices at `selected` (positions in the list, in list order).
    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> selected,
                std::shared_ptr<DevicePins> pins, QWidget *parent = nullptr);
    // The plan's devices, each entry's at the position of the same index.
    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<common::PlanEntry> plan,
                std::vector<size_t> positions, const QString &planName, std::shared_ptr<DevicePins> pins,
                QWidget *parent = nullptr);
    ~BatchDialog() override;

    void OnApply();
    bool IsApplying() const { return model_.Applying(); }
    // Once an apply has run to its end: the list should be searched again.
    bool Applied() const { return model_.Applied(); }
    // The outcome table as CSV; false, after saying why, when it can't be
    // written.
    bool SaveOutcomes(const QString &path);

public slots:
    void done(int result) override;

private:
    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> positions, const QString &title,
                std::shared_ptr<DevicePins> pins, QWidget *parent);
    // Last in the form, labelled for the entries' source, with the choice
    // to require a challenge below it.
    void AddPasswordRows(TextId label);
    void OnRangeChanged();
    void ShowPreview();
    void FitColumns();
    void SetInputsEnabled(bool enabled);
    void OnCloseButton();
    void ShowOutcome(size_t index, const common::DeviceReport &report);
    void OnApplyEnded();
    void OnSaveOutcomes();

    BatchModel model_;
    RangeControls *range_ = nullptr;
    QLabel *intro_ = nullptr;
    QFormLayout *form_ = nullptr;
    QLineEdit *password_ = nullptr;
    QCheckBox *requireChallenge_ = nullptr;
    QLabel *problem_ = nullptr;
    QTreeWidget *preview_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *summary_ = nullptr;
    QPushButton *apply_ = nullptr;
    QPushButton *save_ = nullptr;
    QPushButton *close_ = nullptr;
    bool closeWhenDone_ = false;
    int reported_ = 0;
};

} // namespace kovr::locator
