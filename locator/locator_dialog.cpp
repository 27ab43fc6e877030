#include "locator/locator_dialog.h"

#include "common/device_csv.h"
#include "locator/conflict_notes.h"
#include "locator/device_info_dialog.h"
#include "locator/device_row.h"
#include "locator/ip_settings_dialog.h"
#include "locator/local_subnets.h"
#include "locator/message_box.h"
#include "locator/reboot_dialog.h"
#include "locator/record_text.h"
#include "locator/window_icon.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

struct Column {
    const char *title;
    int width; // pixels
};

const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("LocatorDialog", "IP Address"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "MAC Address"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "Name"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "Product"), 129},
};

DeviceRow *AsDeviceRow(QTreeWidgetItem *item)
{
    return item && item->type() == QTreeWidgetItem::UserType ? static_cast<DeviceRow *>(item) : nullptr;
}

} // namespace

LocatorDialog::LocatorDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kLocatorTemplate, parent), m_library(library),
      m_list(ControlAs<QTreeWidget>(ControlId::DeviceList)), m_hIcon(LoadWindowIcon()), m_subnets(LocalSubnets)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    connect(ControlAs<QPushButton>(ControlId::OpenWebInterface), &QPushButton::clicked, this,
            &LocatorDialog::OnOpenWebInterface);
    connect(ControlAs<QPushButton>(ControlId::ConfigureIpSettings), &QPushButton::clicked, this,
            &LocatorDialog::OnConfigureIpSettings);
    connect(ControlAs<QPushButton>(ControlId::RefreshList), &QPushButton::clicked, this, &LocatorDialog::RefreshList);
    connect(ControlAs<QPushButton>(ControlId::RebootDevice), &QPushButton::clicked, this,
            &LocatorDialog::OnRebootDevice);
    connect(ControlAs<QPushButton>(ControlId::DeviceInfo), &QPushButton::clicked, this, &LocatorDialog::OnDeviceInfo);
    connect(&m_search, &QFutureWatcher<Records>::finished, this, &LocatorDialog::OnSearchEnded);

    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &LocatorDialog::CopySelectedRow);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &LocatorDialog::RefreshList);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &LocatorDialog::ShowContextMenu);
}

LocatorDialog::~LocatorDialog()
{
    // A window torn down without ending its modal run still lets go of its
    // session and its records.
    if (!m_destroyed)
        OnDestroy();
}

void LocatorDialog::OnInitDialog()
{
    setWindowIcon(m_hIcon);

    m_list->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList titles;
    for (const Column &column : kColumns)
        titles << tr(column.title);
    m_list->setHeaderLabels(titles);
    m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->header()->setSectionsClickable(true);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &LocatorDialog::OnHeaderClicked);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_list->setColumnWidth(i, kColumns[i].width);
    // A conflict mark no taller than the text keeps every row's height.
    const int markSize = m_list->fontMetrics().height();
    m_list->setIconSize(QSize(markSize, markSize));

    m_session = m_library.OpenByGuid(&kLocatorSessionGuid);
    RefreshList();
}

void LocatorDialog::RefreshList()
{
    // One search at a time; the window takes no input while it runs.
    if (m_search.isRunning() || m_destroyed)
        return;
    m_library.StopSearch(m_session);
    DeleteAllRows();
    InsertMessageRow(tr("Searching..."));
    PostStartSearch();
}

void LocatorDialog::PostStartSearch()
{
    QMetaObject::invokeMethod(this, &LocatorDialog::OnStartSearch, Qt::QueuedConnection);
}

void LocatorDialog::OnStartSearch()
{
    if (m_search.isRunning() || m_destroyed)
        return;
    m_busy = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    const LibrarySeam *library = &m_library;
    KOVR_HANDLE session = m_session;
    // Shared with the worker, which may outlive the window.
    auto wakeup = std::make_shared<kovr::common::SearchWakeup>();
    m_searchWakeup = wakeup;
    m_search.setFuture(QtConcurrent::run([library, session, wakeup] {
        Records found;
        library->Search(session, found, *wakeup);
        return found;
    }));
}

void LocatorDialog::OnSearchEnded()
{
    m_busy.reset();
    m_searchWakeup.reset();
    if (!m_destroyed)
        OnShowResults(m_search.result());
}

void LocatorDialog::OnShowResults(const Records &found)
{
    if (m_list->topLevelItemCount() > 0 && m_list->topLevelItem(0)->text(0) == tr("Searching..."))
        delete m_list->takeTopLevelItem(0);

    for (const KOVRDeviceInfoRecord &record : found)
        m_list->addTopLevelItem(new DeviceRow(m_library.CopyRecord(&record)));

    if (m_list->topLevelItemCount() > 0) {
        MarkConflicts();
        if (m_sortColumn >= 0)
            m_list->sortItems(m_sortColumn, m_sortOrder);
        QTreeWidgetItem *first = m_list->topLevelItem(0);
        m_list->setCurrentItem(first);
        first->setSelected(true);
    } else {
        InsertMessageRow(tr("No devices found."));
    }
}

void LocatorDialog::MarkConflicts()
{
    std::vector<KOVRDeviceInfoRecord> records;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        records.push_back(*DeviceAt(i));
    const QStringList notes = ConflictNotes(records, m_subnets());
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int i = 0; i < notes.size(); ++i) {
        if (notes[i].isEmpty())
            continue;
        QTreeWidgetItem *row = m_list->topLevelItem(i);
        row->setIcon(0, mark);
        row->setToolTip(0, notes[i]);
    }
}

void LocatorDialog::OnHeaderClicked(int column)
{
    m_sortOrder =
        column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_sortColumn = column;
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, m_sortOrder);
    if (DeviceAt(0))
        m_list->sortItems(column, m_sortOrder);
}

void LocatorDialog::InsertMessageRow(const QString &text)
{
    auto *row = new QTreeWidgetItem;
    row->setText(0, text);
    m_list->insertTopLevelItem(0, row);
}

void LocatorDialog::DeleteAllRows()
{
    while (m_list->topLevelItemCount() > 0) {
        if (const KOVRDeviceInfoRecord *copy = DeviceAt(0))
            m_library.ReleaseRecord(const_cast<KOVRDeviceInfoRecord *>(copy));
        delete m_list->takeTopLevelItem(0);
    }
}

const KOVRDeviceInfoRecord *LocatorDialog::DeviceAt(int index) const
{
    if (index < 0 || index >= m_list->topLevelItemCount())
        return nullptr;
    const DeviceRow *row = AsDeviceRow(m_list->topLevelItem(index));
    return row ? row->Record() : nullptr;
}

DeviceRow *LocatorDialog::SelectedRow() const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->isSelected())
            return AsDeviceRow(m_list->topLevelItem(i));
    }
    return nullptr;
}

const KOVRDeviceInfoRecord *LocatorDialog::GetSelectedDevice() const
{
    const DeviceRow *row = SelectedRow();
    return row ? row->Record() : nullptr;
}

void LocatorDialog::ShowNoSelection()
{
    ShowMessage(this, tr("No device is selected.\n"));
}

const KOVRDeviceInfoRecord *LocatorDialog::SelectedDeviceOrNotice()
{
    const KOVRDeviceInfoRecord *device = GetSelectedDevice();
    if (!device)
        ShowNoSelection();
    return device;
}

void LocatorDialog::CopyText(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

void LocatorDialog::CopySelectedRow()
{
    if (const DeviceRow *row = SelectedRow())
        CopyText(row->Line());
}

void LocatorDialog::ShowContextMenu(const QPoint &position)
{
    DeviceRow *row = AsDeviceRow(m_list->itemAt(position));
    if (!row)
        return;
    m_list->setCurrentItem(row);
    row->setSelected(true);

    QMenu menu(this);
    menu.addAction(tr("Copy IP Address"), this, [this, row] { CopyText(row->text(0)); });
    menu.addAction(tr("Copy MAC Address"), this, [this, row] { CopyText(row->text(1)); });
    menu.addAction(tr("Copy Row"), this, [this, row] { CopyText(row->Line()); });
    menu.addSeparator();
    menu.addAction(tr("Open Web Page"), this, &LocatorDialog::OnOpenWebInterface);
    menu.addSeparator();
    menu.addAction(tr("Configure IP Settings"), this, &LocatorDialog::OnConfigureIpSettings);
    menu.addAction(tr("Device Info"), this, &LocatorDialog::OnDeviceInfo);
    menu.addAction(tr("Reboot Device"), this, &LocatorDialog::OnRebootDevice);
    menu.addSeparator();
    menu.addAction(tr("Save List As..."), this, &LocatorDialog::SaveListAs);
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

void LocatorDialog::SaveListAs()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save List As"), QStringLiteral("devices.csv"),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    std::string csv = kovr::common::DeviceCsvHeader();
    for (int i = 0; DeviceAt(i); ++i)
        csv += kovr::common::DeviceCsvLine(*DeviceAt(i));
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()) &&
                         file.flush();
    if (!written)
        ShowMessage(this, tr("The list could not be saved to %1:\n%2\n").arg(path, file.errorString()));
}

void LocatorDialog::OnOpenWebInterface()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        const QString url = QString::asprintf("http://%s", qPrintable(FormatDottedAddress(device->ipAddress)));
        QDesktopServices::openUrl(QUrl(url));
    }
}

void LocatorDialog::OnConfigureIpSettings()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        IpSettingsDialog dialog(m_library, this);
        dialog.m_device = device;
        dialog.exec();
    }
}

void LocatorDialog::OnRebootDevice()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        RebootDialog dialog(m_library, this);
        dialog.m_device = device;
        dialog.exec();
    }
}

void LocatorDialog::OnDeviceInfo()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        DeviceInfoDialog dialog(this);
        dialog.m_device = device;
        dialog.exec();
    }
}

void LocatorDialog::done(int result)
{
    TemplateDialog::done(result);
    if (!m_destroyed)
        OnDestroy();
}

void LocatorDialog::OnDestroy()
{
    m_destroyed = true;
    m_busy.reset();
    // The search on the worker ends at its next wake, and closing the
    // session ends its first request at once; what it found is dropped.
    if (m_searchWakeup)
        m_searchWakeup->Cancel();
    m_library.StopSearch(m_session);
    m_library.Close(m_session);
    m_session = nullptr;
    DeleteAllRows();
}
