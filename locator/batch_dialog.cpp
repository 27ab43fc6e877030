#include "locator/batch_dialog.h"

#include "locator/control_label.h"
#include "locator/core/batch_sources.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/qt_texts.h"
#include "locator/range_controls.h"
#include "locator/text_file.h"
#include "locator/window_icon.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kovr::locator {

namespace {

enum Column { MacColumn, NameColumn, CurrentColumn, NewColumn, StatusColumn, ColumnCount };

QLabel *PlainLabel(const QString &text, QWidget *parent)
{
    // Names and file names are shown as they are, never as markup.
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> positions,
                         const QString &title, std::shared_ptr<DevicePins> pins, QWidget *parent)
    : QDialog(parent),
      model_(library, std::move(devices), std::move(positions), std::move(pins), QtPost(), ConfirmIn(this))
{
    setWindowIcon(LoadWindowIcon());
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    intro_ = PlainLabel(QString(), this);
    layout->addWidget(intro_);

    form_ = new QFormLayout;
    form_->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    password_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) * 3 / 2);
    requireChallenge_ = new QCheckBox(Tr(TextId::BatchRequireChallenge), this);
    connect(requireChallenge_, &QCheckBox::toggled, this,
            [this](bool require) { model_.SetRequireChallenge(require); });
    layout->addLayout(form_);

    problem_ = PlainLabel(QString(), this);
    problem_->setAccessibleName(Tr(TextId::BatchProblem));
    layout->addWidget(problem_);

    auto *previewLabel = new QLabel(Tr(TextId::BatchPreview), this);
    preview_ = new QTreeWidget(this);
    LabelControl(*previewLabel, *preview_);
    preview_->setRootIsDecorated(false);
    preview_->setUniformRowHeights(true);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->setHeaderLabels({Tr(TextId::BatchColumnMac), Tr(TextId::BatchColumnName), Tr(TextId::BatchColumnCurrent),
                               Tr(TextId::BatchColumnNew), Tr(TextId::BatchColumnStatus)});
    const int markSize = preview_->fontMetrics().height();
    preview_->setIconSize(QSize(markSize, markSize));
    for (const PreviewRow &row : model_.Preview()) {
        auto *item = new QTreeWidgetItem(preview_);
        item->setText(MacColumn, FromUtf8(row.mac));
        item->setText(NameColumn, FromUtf8(row.name));
        item->setText(CurrentColumn, FromUtf8(row.current));
    }
    preview_->setMinimumSize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 12);
    layout->addWidget(previewLabel);
    layout->addWidget(preview_, 1);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, static_cast<int>(model_.Size()));
    progress_->setValue(0);
    progress_->setAccessibleName(Tr(TextId::BatchProgress));
    layout->addWidget(progress_);
    summary_ = PlainLabel(QString(), this);
    summary_->setWordWrap(false);
    summary_->setAccessibleName(Tr(TextId::BatchOutcome));
    layout->addWidget(summary_);

    auto *buttons = new QHBoxLayout;
    apply_ = new QPushButton(Tr(TextId::BatchApply), this);
    apply_->setDefault(true);
    save_ = new QPushButton(Tr(TextId::BatchSaveCsv), this);
    save_->setEnabled(false);
    close_ = new QPushButton(Tr(TextId::BatchCancel), this);
    buttons->addStretch(1);
    for (QPushButton *button : {apply_, save_, close_}) {
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(apply_, &QPushButton::clicked, this, &BatchDialog::OnApply);
    connect(save_, &QPushButton::clicked, this, &BatchDialog::OnSaveOutcomes);
    connect(close_, &QPushButton::clicked, this, &BatchDialog::OnCloseButton);
}

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<size_t> selected,
                         std::shared_ptr<DevicePins> pins, QWidget *parent)
    : BatchDialog(library, std::move(devices), std::move(selected), Tr(TextId::BatchSelectedTitle), std::move(pins),
                  parent)
{
    intro_->setText(Text({TextId::BatchSelectedSummary, {std::to_string(model_.Size())}}));
    range_ = new RangeControls(*this, *form_, password_->width(), password_->sizeHint().height(),
                               SuggestedRange(model_.DeviceAt(0)));
    connect(range_, &RangeControls::Changed, this, &BatchDialog::OnRangeChanged);
    AddPasswordRows(TextId::BatchPassword);
    OnRangeChanged();
}

BatchDialog::BatchDialog(const LibrarySeam &library, Devices devices, std::vector<common::PlanEntry> plan,
                         std::vector<size_t> positions, const QString &planName, std::shared_ptr<DevicePins> pins,
                         QWidget *parent)
    : BatchDialog(library, std::move(devices), std::move(positions), Tr(TextId::BatchPlanTitle), std::move(pins),
                  parent)
{
    intro_->setText(Text({TextId::BatchPlanSummary, {planName.toStdString(), std::to_string(model_.Size())}}));
    AddPasswordRows(TextId::BatchPlanPassword);
    model_.SetEntries(std::move(plan));
    ShowPreview();
}

void BatchDialog::AddPasswordRows(TextId label)
{
    auto *passwordLabel = new QLabel(Tr(label), this);
    LabelControl(*passwordLabel, *password_);
    form_->addRow(passwordLabel, password_);
    form_->addRow(QString(), requireChallenge_);
}

BatchDialog::~BatchDialog()
{
    WipePasswordField(*password_);
}

void BatchDialog::OnRangeChanged()
{
    ChooseRange(model_, range_->Range());
    ShowPreview();
}

void BatchDialog::ShowPreview()
{
    const std::vector<PreviewRow> &rows = model_.Preview();
    for (size_t i = 0; i < rows.size(); ++i) {
        const PreviewRow &row = rows[i];
        QTreeWidgetItem *item = preview_->topLevelItem(static_cast<int>(i));
        item->setText(NewColumn, Text(row.change));
        item->setText(StatusColumn, Text(row.status));
        // The mark at the row's start, where it is seen without scrolling;
        // the text in full in its tip (devices' names are never markup).
        const QIcon icon =
            row.marked ? style()->standardIcon(row.error ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning)
                       : QIcon();
        item->setIcon(MacColumn, icon);
        const QString tip = row.marked ? Qt::convertFromPlainText(Text(row.status)) : QString();
        for (int column = 0; column < ColumnCount; ++column) {
            item->setToolTip(column, tip);
        }
    }
    const std::optional<Message> &blocker = model_.Blocker();
    problem_->setText(blocker ? Text(*blocker) : QString());
    problem_->setVisible(blocker.has_value());
    FitColumns();
    apply_->setEnabled(!blocker);
}

void BatchDialog::FitColumns()
{
    for (int column = 0; column < ColumnCount; ++column) {
        preview_->resizeColumnToContents(column);
    }
}

void BatchDialog::SetInputsEnabled(bool enabled)
{
    if (range_) {
        range_->SetEnabled(enabled);
    }
    password_->setEnabled(enabled);
    requireChallenge_->setEnabled(enabled);
    apply_->setEnabled(enabled && !model_.Blocker());
}

void BatchDialog::OnApply()
{
    if (IsApplying() || Applied() || model_.Blocker()) {
        return;
    }
    std::unique_ptr<common::Password> password;
    if (model_.NeedsSharedPassword()) {
        password = TakePassword(*password_);
        if (!password) {
            ShowMessage(this, Text({TextId::PasswordTooLong, {std::to_string(common::Password::kCapacity - 1)}}));
            return;
        }
    }
    WipePasswordField(*password_);
    BatchModel::Listener listener;
    listener.reported = [this](size_t index, const common::DeviceReport &report) {
        progress_->setValue(++reported_);
        ShowOutcome(index, report);
    };
    listener.ended = [this] { OnApplyEnded(); };
    if (!model_.Apply(std::move(password), std::move(listener))) {
        return;
    }
    reported_ = 0;
    SetInputsEnabled(false);
    progress_->setValue(0);
    summary_->setText(Tr(TextId::BatchApplying));
    close_->setText(Tr(TextId::BatchCancel));
    for (int i = 0; i < preview_->topLevelItemCount(); ++i) {
        preview_->topLevelItem(i)->setText(StatusColumn, Tr(TextId::BatchWaiting));
    }
}

void BatchDialog::ShowOutcome(size_t index, const common::DeviceReport &report)
{
    QTreeWidgetItem *row = preview_->topLevelItem(static_cast<int>(index));
    const bool bad = IsBadOutcome(report.outcome);
    row->setText(StatusColumn, FromUtf8(OutcomeCell(report)));
    row->setIcon(MacColumn, bad ? style()->standardIcon(QStyle::SP_MessageBoxCritical) : QIcon());
    for (int column = 0; column < ColumnCount; ++column) {
        row->setToolTip(column, bad ? Qt::convertFromPlainText(row->text(StatusColumn)) : QString());
    }
    FitColumns();
}

void BatchDialog::OnApplyEnded()
{
    progress_->setValue(progress_->maximum());
    const std::vector<common::DeviceReport> &reports = model_.Reports();
    for (size_t i = 0; i < reports.size(); ++i) {
        ShowOutcome(i, reports[i]);
    }
    summary_->setText(FromUtf8(model_.Summary()));
    save_->setEnabled(true);
    close_->setEnabled(true);
    close_->setText(Tr(TextId::BatchClose));
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
    model_.Stop();
    close_->setEnabled(false);
    summary_->setText(Tr(TextId::BatchStopping));
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
    const QString path = QFileDialog::getSaveFileName(this, Tr(TextId::BatchSaveCsvTitle),
                                                      QStringLiteral("outcomes.csv"), Tr(TextId::CsvFileFilter));
    if (!path.isEmpty()) {
        SaveOutcomes(path);
    }
}

bool BatchDialog::SaveOutcomes(const QString &path)
{
    QString error;
    if (!WriteTextFile(path, model_.OutcomesCsv(), error)) {
        ShowMessage(this, Text({TextId::BatchOutcomesNotSaved, {path.toStdString(), error.toStdString()}}));
        return false;
    }
    return true;
}

} // namespace kovr::locator
