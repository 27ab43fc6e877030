#include "locator/batch_dialog.h"

#include "common/apply_outcome.h"
#include "common/device_csv.h"
#include "common/field_text.h"
#include "common/mac_address_text.h"
#include "common/printable_text.h"
#include "locator/address_range.h"
#include "locator/apply_calls.h"
#include "locator/batch_preview.h"
#include "locator/control_label.h"
#include "locator/ip_address_control.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/record_text.h"
#include "locator/text_file.h"
#include "locator/window_icon.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace kovr::locator {

namespace {

enum Column { MacColumn, NameColumn, CurrentColumn, NewColumn, StatusColumn, ColumnCount };

QString SettingCell(const common::DeviceSettings &setting)
{
    return QString::fromStdString(common::SettingText(setting));
}

QString OutcomeCell(const common::DeviceReport &report)
{
    const QString outcome = QString::fromLatin1(common::OutcomeName(report.outcome));
    return report.detail.empty() ? outcome : outcome + QStringLiteral(": ") + QString::fromStdString(report.detail);
}

} // namespace

// What the worker owns: the entries with their passwords, the devices as
// the list has them, the one password, and the flag that stops it between
// devices. Shared, so that it lives as long as the worker needs it.
struct BatchDialog::Job {
    std::vector<common::PlanEntry> entries;
    std::vector<KOVRDeviceInfoRecord> found;
    common::Password password;
    std::atomic<bool> stop{false};
};

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> positions, bool fromPlan,
                         QWidget *parent)
    : QDialog(parent), library_(library), devices_(std::move(devices)), positions_(std::move(positions)),
      fromPlan_(fromPlan)
{
    setWindowIcon(LoadWindowIcon());
    connect(&worker_, &QFutureWatcher<std::vector<common::DeviceReport>>::finished, this, &BatchDialog::OnApplyEnded);
}

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> selected, QWidget *parent)
    : BatchDialog(library, std::move(devices), std::move(selected), false, parent)
{
    setWindowTitle(tr("Configure Selected Devices"));
    BuildControls(tr("Selected devices: %1. They all get DHCP, or each an address of its own from a range.")
                      .arg(positions_.size()));
    FillRange();
    UpdatePreview();
}

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<common::PlanEntry> plan,
                         std::vector<size_t> positions, const QString &planName, QWidget *parent)
    : BatchDialog(library, std::move(devices), std::move(positions), true, parent)
{
    plan_ = std::move(plan);
    setWindowTitle(tr("Apply Plan"));
    BuildControls(tr("Devices in the plan %1: %2.").arg(planName).arg(positions_.size()));
    for (size_t i = 0; i < plan_.size(); ++i) {
        const common::PlanEntry &entry = plan_[i];
        const KOVRDeviceInfoRecord &record = devices_.list[positions_[i]];
        switch (entry.request) {
        case common::Request::None:
            wanted_.push_back(common::SettingsOf(record));
            break;
        case common::Request::Dhcp:
            wanted_.push_back({true, 0, 0, 0});
            break;
        case common::Request::Static:
            wanted_.push_back({false, entry.setting.ip, entry.setting.mask, entry.setting.gateway});
            break;
        }
    }
    UpdatePreview();
}

BatchDialog::~BatchDialog()
{
    // Torn down without its run ending (its owner went): the devices in
    // hand are finished, and nothing more is started.
    if (job_) {
        job_->stop = true;
        worker_.waitForFinished();
    }
    WipePasswordField(*password_);
}

void BatchDialog::BuildControls(const QString &summary)
{
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(summary, this);
    // A plan's file name is shown as it is, never as markup.
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) * 3 / 2;
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    password_->setFixedWidth(fieldWidth);
    if (!fromPlan_) {
        dhcpRadio_ = new QRadioButton(tr("Obtain the network settings via &DHCP"), this);
        rangeRadio_ = new QRadioButton(tr("Give each device a static address from a &range"), this);
        form->addRow(dhcpRadio_);
        form->addRow(rangeRadio_);
        const std::pair<IpAddressControl **, const char *> fields[] = {{&first_, QT_TR_NOOP("&First address:")},
                                                                       {&mask_, QT_TR_NOOP("Subnet &mask:")},
                                                                       {&gateway_, QT_TR_NOOP("&Gateway:")}};
        for (const auto &[control, text] : fields) {
            *control = new IpAddressControl(this);
            // As tall as a line edit, as the other dialogs have them.
            (*control)->setFixedSize(fieldWidth, password_->sizeHint().height());
            auto *label = new QLabel(tr(text), this);
            LabelControl(*label, **control);
            form->addRow(label, *control);
            for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
                connect((*control)->Field(i), &QLineEdit::textChanged, this, &BatchDialog::UpdatePreview);
            }
        }
        connect(dhcpRadio_, &QRadioButton::toggled, this, &BatchDialog::UpdatePreview);
    }
    auto *passwordLabel = new QLabel(fromPlan_ ? tr("&Password (where the plan has none):") : tr("&Password:"), this);
    LabelControl(*passwordLabel, *password_);
    form->addRow(passwordLabel, password_);
    layout->addLayout(form);

    problem_ = new QLabel(this);
    problem_->setTextFormat(Qt::PlainText);
    problem_->setWordWrap(true);
    problem_->setAccessibleName(tr("Problem"));
    layout->addWidget(problem_);

    auto *previewLabel = new QLabel(tr("Pre&view:"), this);
    preview_ = new QTreeWidget(this);
    LabelControl(*previewLabel, *preview_);
    preview_->setRootIsDecorated(false);
    preview_->setUniformRowHeights(true);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->setHeaderLabels({tr("MAC Address"), tr("Name"), tr("Current Setting"), tr("New Setting"), tr("Status")});
    const int markSize = preview_->fontMetrics().height();
    preview_->setIconSize(QSize(markSize, markSize));
    for (size_t position : positions_) {
        const KOVRDeviceInfoRecord &record = devices_.list[position];
        auto *row = new QTreeWidgetItem(preview_);
        row->setText(MacColumn, FormatMacAddress(record.macAddress));
        row->setText(NameColumn, RecordText(record.deviceName));
        row->setText(CurrentColumn, SettingCell(common::SettingsOf(record)));
    }
    preview_->setMinimumSize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 12);
    layout->addWidget(previewLabel);
    layout->addWidget(preview_, 1);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, static_cast<int>(positions_.size()));
    progress_->setValue(0);
    progress_->setAccessibleName(tr("Progress"));
    layout->addWidget(progress_);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setAccessibleName(tr("Outcome"));
    layout->addWidget(summary_);

    auto *buttons = new QHBoxLayout;
    apply_ = new QPushButton(tr("&Apply"), this);
    apply_->setDefault(true);
    save_ = new QPushButton(tr("&Save as CSV..."), this);
    save_->setEnabled(false);
    close_ = new QPushButton(tr("Cancel"), this);
    buttons->addStretch(1);
    for (QPushButton *button : {apply_, save_, close_}) {
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(apply_, &QPushButton::clicked, this, &BatchDialog::OnApply);
    connect(save_, &QPushButton::clicked, this, &BatchDialog::OnSaveOutcomes);
    connect(close_, &QPushButton::clicked, this, &BatchDialog::OnCloseButton);
}

void BatchDialog::FillRange()
{
    // The first selected device's subnet, from its own address on.
    const KOVRDeviceInfoRecord &first = devices_.list[positions_.front()];
    const bool maskGood = common::IsContiguousMask(first.subnetMask);
    first_->SetAddress(PackedFromNetworkOrder(first.ipAddress));
    mask_->SetAddress(maskGood ? PackedFromNetworkOrder(first.subnetMask) : 0xFFFFFF00u);
    gateway_->SetAddress(PackedFromNetworkOrder(first.gatewayAddress));
    rangeRadio_->setChecked(true);
}

void BatchDialog::UpdatePreview()
{
    if (IsApplying() || Applied()) {
        return;
    }
    if (!fromPlan_) {
        const bool range = rangeRadio_->isChecked();
        for (IpAddressControl *control : {first_, mask_, gateway_}) {
            control->setEnabled(range);
        }
        wanted_.clear();
        if (!range) {
            wanted_.assign(positions_.size(), common::DeviceSettings{true, 0, 0, 0});
        } else {
            const AddressRange request{NetworkOrderFromPacked(first_->GetAddress()),
                                       NetworkOrderFromPacked(mask_->GetAddress()),
                                       NetworkOrderFromPacked(gateway_->GetAddress())};
            const RangeAssignment assigned = AssignAddresses(request, devices_.list, positions_);
            if (!assigned.error.isEmpty()) {
                ShowPreview(assigned.error);
                return;
            }
            for (uint32_t ip : assigned.addresses) {
                wanted_.push_back({false, ip, request.mask, request.gateway});
            }
        }
    }
    ShowPreview(QString());
}

void BatchDialog::ShowPreview(const QString &problem)
{
    const std::vector<PreviewMark> marks = problem.isEmpty()
                                               ? PreviewMarks(devices_.list, positions_, wanted_, devices_.localSubnets)
                                               : std::vector<PreviewMark>(positions_.size());
    QString firstError = problem;
    for (size_t i = 0; i < positions_.size(); ++i) {
        QTreeWidgetItem *row = preview_->topLevelItem(static_cast<int>(i));
        const PreviewMark &mark = marks[i];
        const bool unchanged =
            problem.isEmpty() && common::Holds(common::SettingsOf(devices_.list[positions_[i]]), wanted_[i]);
        QString status = mark.text;
        if (!problem.isEmpty()) {
            row->setText(NewColumn, QString());
        } else {
            row->setText(NewColumn, unchanged ? tr("(unchanged)") : SettingCell(wanted_[i]));
            status = mark.text.isEmpty() ? (unchanged ? tr("nothing to send") : tr("ready")) : mark.text;
        }
        if (mark.error && firstError.isEmpty()) {
            firstError = tr("Apply stays off while a device is marked as an error: %1").arg(mark.text);
        }
        // The mark at the row's start, where it is seen without scrolling;
        // the text in full in its tip (devices' names are never markup).
        const QIcon icon = mark.text.isEmpty() ? QIcon()
                                               : style()->standardIcon(mark.error ? QStyle::SP_MessageBoxCritical
                                                                                  : QStyle::SP_MessageBoxWarning);
        row->setIcon(MacColumn, icon);
        row->setText(StatusColumn, status);
        for (int column = 0; column < ColumnCount; ++column) {
            row->setToolTip(column, mark.text.isEmpty() ? QString() : Qt::convertFromPlainText(mark.text));
        }
    }
    problem_->setText(firstError);
    problem_->setVisible(!firstError.isEmpty());
    previewHasErrors_ = !firstError.isEmpty();
    FitColumns();
    apply_->setEnabled(!previewHasErrors_);
}

void BatchDialog::FitColumns()
{
    for (int column = 0; column < ColumnCount; ++column) {
        preview_->resizeColumnToContents(column);
    }
}

void BatchDialog::SetInputsEnabled(bool enabled)
{
    if (!fromPlan_) {
        dhcpRadio_->setEnabled(enabled);
        rangeRadio_->setEnabled(enabled);
        for (IpAddressControl *control : {first_, mask_, gateway_}) {
            control->setEnabled(enabled && rangeRadio_->isChecked());
        }
    }
    password_->setEnabled(enabled);
    apply_->setEnabled(enabled && !previewHasErrors_);
}

void BatchDialog::OnApply()
{
    if (IsApplying() || Applied() || previewHasErrors_) {
        return;
    }
    auto job = std::make_shared<Job>();
    const bool needsPassword = !fromPlan_ || std::any_of(plan_.begin(), plan_.end(), [](const common::PlanEntry &e) {
        return e.password == nullptr;
    });
    if (needsPassword) {
        const PasswordBytes password(*password_);
        if (!job->password.Assign(password.c_str(), password.size())) {
            ShowMessage(this, tr("The password is longer than %1 bytes.\n").arg(common::Password::kCapacity - 1));
            return;
        }
    }
    for (size_t i = 0; i < positions_.size(); ++i) {
        const KOVRDeviceInfoRecord &record = devices_.list[positions_[i]];
        common::PlanEntry entry;
        if (fromPlan_) {
            entry = std::move(plan_[i]);
        } else {
            entry.where = "row " + std::to_string(i + 1);
            std::memcpy(entry.mac.data(), record.macAddress, entry.mac.size());
            entry.request = wanted_[i].dhcp ? common::Request::Dhcp : common::Request::Static;
            entry.setting = {wanted_[i].ip, wanted_[i].mask, wanted_[i].gateway};
        }
        job->entries.push_back(std::move(entry));
        job->found.push_back(record);
    }
    plan_.clear();
    WipePasswordField(*password_);

    job_ = job;
    reported_ = 0;
    SetInputsEnabled(false);
    progress_->setValue(0);
    summary_->setText(tr("Applying..."));
    close_->setText(tr("Cancel"));
    for (int i = 0; i < preview_->topLevelItemCount(); ++i) {
        preview_->topLevelItem(i)->setText(StatusColumn, tr("waiting"));
    }
    worker_.setFuture(QtConcurrent::run([this, job, calls = ApplyCallsOf(library_)] {
        common::ApplySettings settings;
        settings.sharedPassword = &job->password;
        settings.stop = &job->stop;
        // The dialog outlives its worker; what is still queued when it
        // goes is dropped with it.
        settings.onReport = [this](size_t index, const common::DeviceReport &report) {
            QMetaObject::invokeMethod(
                this, [this, index, report] { OnDeviceReported(index, report); }, Qt::QueuedConnection);
        };
        std::vector<common::DeviceReport> reports = common::ApplyPlan(calls, job->entries, job->found, settings);
        job->password.Clear();
        return reports;
    }));
}

void BatchDialog::OnDeviceReported(size_t index, const common::DeviceReport &report)
{
    if (!IsApplying() || index >= positions_.size()) {
        return;
    }
    progress_->setValue(++reported_);
    ShowOutcome(index, report);
}

void BatchDialog::ShowOutcome(size_t index, const common::DeviceReport &report)
{
    QTreeWidgetItem *row = preview_->topLevelItem(static_cast<int>(index));
    const bool bad = report.outcome == common::Outcome::Failed || report.outcome == common::Outcome::Unverified ||
                     report.outcome == common::Outcome::NotFound;
    row->setText(StatusColumn, OutcomeCell(report));
    row->setIcon(MacColumn, bad ? style()->standardIcon(QStyle::SP_MessageBoxCritical) : QIcon());
    for (int column = 0; column < ColumnCount; ++column) {
        row->setToolTip(column, bad ? Qt::convertFromPlainText(row->text(StatusColumn)) : QString());
    }
    FitColumns();
}

void BatchDialog::OnApplyEnded()
{
    reports_ = worker_.result();
    job_.reset();
    progress_->setValue(progress_->maximum());
    std::map<common::Outcome, int> counts;
    for (size_t i = 0; i < reports_.size() && i < positions_.size(); ++i) {
        ShowOutcome(i, reports_[i]);
        ++counts[reports_[i].outcome];
    }
    QStringList parts;
    for (const auto &[outcome, count] : counts) {
        parts << QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(common::OutcomeName(outcome)));
    }
    summary_->setText(parts.join(QStringLiteral(", ")));
    save_->setEnabled(true);
    close_->setEnabled(true);
    close_->setText(tr("Close"));
    if (closeWhenDone_) {
        QDialog::done(QDialog::Rejected);
    }
}

void BatchDialog::OnCloseButton()
{
    if (!IsApplying()) {
        reject();
        return;
    }
    job_->stop = true;
    close_->setEnabled(false);
    summary_->setText(tr("Stopping once the devices in hand are done..."));
}

void BatchDialog::done(int result)
{
    if (IsApplying()) {
        // Closes once the devices in hand are done, so that no worker is
        // left behind it.
        closeWhenDone_ = true;
        OnCloseButton();
        return;
    }
    WipePasswordField(*password_);
    QDialog::done(result);
}

void BatchDialog::OnSaveOutcomes()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save as CSV"), QStringLiteral("outcomes.csv"),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        SaveOutcomes(path);
    }
}

bool BatchDialog::SaveOutcomes(const QString &path)
{
    std::string csv = "mac,name,outcome,before,after,detail\n";
    for (size_t i = 0; i < reports_.size() && i < positions_.size(); ++i) {
        const common::DeviceReport &report = reports_[i];
        const KOVRDeviceInfoRecord &record = devices_.list[positions_[i]];
        const std::string cells[] = {
            common::FormatMac(report.mac.data()), common::Printable(common::FieldText(record.deviceName)),
            common::OutcomeName(report.outcome),  common::SettingText(report.before),
            common::SettingText(report.after),    common::Printable(report.detail)};
        for (size_t cell = 0; cell < std::size(cells); ++cell) {
            csv += (cell ? "," : "") + common::CsvField(cells[cell]);
        }
        csv += '\n';
    }
    QString error;
    if (!WriteTextFile(path, csv, error)) {
        ShowMessage(this, tr("The outcomes could not be saved to %1:\n%2\n").arg(path, error));
        return false;
    }
    return true;
}

} // namespace kovr::locator
