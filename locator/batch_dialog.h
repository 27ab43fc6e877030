#pragma once

#include "common/device_checks.h"
#include "common/plan_apply.h"
#include "locator/library_seam.h"

#include <QDialog>
#include <QFutureWatcher>

#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace kovr::locator {

class IpAddressControl;

// Configures several devices of the main window's list at once: either the
// selected devices, with DHCP or with addresses counted up from a first
// one, or the devices a plan names, with what it says. The preview shows
// each device's current and new setting and marks what `kovr check` would
// find; Apply, with one password for all, runs on a worker, device after
// device (several at a time), and each row then shows its outcome. Cancel
// and closing the dialog stop it once the devices in hand are done; the
// dialog closes only when no worker is left.
class BatchDialog : public QDialog {
    Q_OBJECT

public:
    // The main window's devices, in list order, and this host's subnets.
    struct Devices {
        std::vector<KOVRDeviceInfoRecord> list;
        std::vector<common::LocalSubnet> localSubnets;
    };

    // The devices at `selected` (positions in the list, in list order).
    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> selected, QWidget *parent = nullptr);
    // The plan's devices, each entry's at the position of the same index.
    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<common::PlanEntry> plan,
                std::vector<size_t> positions, const QString &planName, QWidget *parent = nullptr);
    ~BatchDialog() override;

    void OnApply();
    bool IsApplying() const { return job_ != nullptr; }
    // Once an apply has run to its end: the list should be searched again.
    bool Applied() const { return !reports_.empty(); }
    // The outcome table as CSV; false, after saying why, when it can't be
    // written.
    bool SaveOutcomes(const QString &path);

public slots:
    void done(int result) override;

private:
    struct Job;

    BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> positions, bool fromPlan,
                QWidget *parent);
    void BuildControls(const QString &summary);
    void FillRange();
    void UpdatePreview();
    void ShowPreview(const QString &problem);
    void FitColumns();
    void SetInputsEnabled(bool enabled);
    void OnCloseButton();
    void OnDeviceReported(size_t index, const common::DeviceReport &report);
    void OnApplyEnded();
    void ShowOutcome(size_t index, const common::DeviceReport &report);
    void OnSaveOutcomes();

    const LibrarySeam &library_;
    const Devices devices_;
    const std::vector<size_t> positions_;
    const bool fromPlan_;
    std::vector<common::PlanEntry> plan_; // from a plan only: the entries with their own passwords
    std::vector<common::DeviceSettings> wanted_;
    bool previewHasErrors_ = true;

    QRadioButton *dhcpRadio_ = nullptr;
    QRadioButton *rangeRadio_ = nullptr;
    IpAddressControl *first_ = nullptr;
    IpAddressControl *mask_ = nullptr;
    IpAddressControl *gateway_ = nullptr;
    QLineEdit *password_ = nullptr;
    QLabel *problem_ = nullptr;
    QTreeWidget *preview_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *summary_ = nullptr;
    QPushButton *apply_ = nullptr;
    QPushButton *save_ = nullptr;
    QPushButton *close_ = nullptr;

    std::shared_ptr<Job> job_; // while an apply runs
    bool closeWhenDone_ = false;
    int reported_ = 0;
    QFutureWatcher<std::vector<common::DeviceReport>> worker_;
    std::vector<common::DeviceReport> reports_;
};

} // namespace kovr::locator
