#include "locator/locator_dialog.h"

#include "locator/device_info_dialog.h"
#include "locator/ip_settings_dialog.h"
#include "locator/message_box.h"
#include "locator/reboot_dialog.h"
#include "locator/record_text.h"
#include "locator/window_icon.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

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

constexpr int kRecordRole = Qt::UserRole;

} // namespace

LocatorDialog::LocatorDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kLocatorTemplate, parent), m_library(library),
      m_list(ControlAs<QTreeWidget>(ControlId::DeviceList)), m_hIcon(LoadWindowIcon())
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
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_list->setColumnWidth(i, kColumns[i].width);

    // The search waits for the window's first exposure (see OnStartSearch).
    if (windowHandle())
        windowHandle()->installEventFilter(this);

    m_session = m_library.OpenByGuid(&kLocatorSessionGuid);
    RefreshList();
}

void LocatorDialog::RefreshList()
{
    m_library.StopSearch(m_session);
    m_list->setUpdatesEnabled(false);
    DeleteAllRows();
    InsertMessageRow(tr("Searching..."));
    m_list->setUpdatesEnabled(true);
    // The search blocks this thread, so the list is drawn now, not later.
    m_list->viewport()->repaint();
    PostStartSearch();
}

void LocatorDialog::PostStartSearch()
{
    QMetaObject::invokeMethod(this, &LocatorDialog::OnStartSearch, Qt::QueuedConnection);
}

void LocatorDialog::OnStartSearch()
{
    // A window that is shown but not on screen yet could not show
    // "Searching..." during the search; it searches once it is exposed.
    if (isVisible() && windowHandle() && !windowHandle()->isExposed()) {
        m_startSearchWhenExposed = true;
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::sync();
    m_library.StartSyncSearch(m_session);
    QApplication::restoreOverrideCursor();
    QMetaObject::invokeMethod(this, &LocatorDialog::OnShowResults, Qt::QueuedConnection);
}

bool LocatorDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && m_startSearchWhenExposed && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        m_startSearchWhenExposed = false;
        PostStartSearch();
    }
    return TemplateDialog::eventFilter(watched, event);
}

void LocatorDialog::OnShowResults()
{
    if (m_list->topLevelItemCount() > 0 && m_list->topLevelItem(0)->text(0) == tr("Searching..."))
        delete m_list->takeTopLevelItem(0);

    while (m_library.GetSearchResultCount(m_session) > 0) {
        KOVRDeviceInfoRecord record;
        if (m_library.GetSearchResults(m_session, &record, 1) != 1)
            break;
        KOVRDeviceInfoRecord *copy = m_library.CopyRecord(&record);

        auto *row = new QTreeWidgetItem;
        row->setText(0, FormatDottedAddress(copy->ipAddress));
        row->setText(1, FormatMacAddress(copy->macAddress));
        row->setText(2, RecordText(copy->deviceName));
        row->setText(3, RecordText(copy->productName));
        row->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(copy)));
        m_list->addTopLevelItem(row);
    }

    if (m_list->topLevelItemCount() > 0) {
        QTreeWidgetItem *first = m_list->topLevelItem(0);
        m_list->setCurrentItem(first);
        first->setSelected(true);
    } else {
        InsertMessageRow(tr("No devices found."));
    }
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
    const quintptr copy = m_list->topLevelItem(index)->data(0, kRecordRole).value<quintptr>();
    return reinterpret_cast<const KOVRDeviceInfoRecord *>(copy);
}

const KOVRDeviceInfoRecord *LocatorDialog::GetSelectedDevice() const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->isSelected())
            return DeviceAt(i);
    }
    return nullptr;
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
    m_library.StopSearch(m_session);
    m_library.Close(m_session);
    DeleteAllRows();
}
