#include "locator/reboot_dialog.h"

#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/record_text.h"

#include "common/reboot_wait.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

RebootDialog::RebootDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kRebootTemplate, parent), m_library(library),
      m_productLabel(ControlAs<QLabel>(ControlId::ProductLine)), m_macLabel(ControlAs<QLabel>(ControlId::MacLine)),
      m_passwordEdit(ControlAs<QLineEdit>(ControlId::RebootPassword)),
      m_statusLabel(ControlAs<QLabel>(ControlId::Status)),
      m_pause([](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); })
{
    connect(ControlAs<QPushButton>(ControlId::Reboot), &QPushButton::clicked, this, &RebootDialog::OnReboot);
}

void RebootDialog::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_productLine = m_productLabel->text();
        m_macLine = m_macLabel->text();
        m_password = m_passwordEdit->text();
        m_status = m_statusLabel->text();
    } else {
        m_productLabel->setText(m_productLine);
        m_macLabel->setText(m_macLine);
        m_passwordEdit->setText(m_password);
        m_statusLabel->setText(m_status);
    }
}

void RebootDialog::OnInitDialog()
{
    UpdateData(false);
    m_macLine = tr("MAC Address:    %1").arg(FormatMacAddress(m_device->macAddress));
    m_productLine = tr("Product Name:\t%1").arg(RecordText(m_device->productName));
    UpdateData(false);
}

void RebootDialog::OnReboot()
{
    KOVR_HANDLE session = m_library.OpenByGuid(&kLocatorSessionGuid);
    UpdateData(true);
    const QByteArray password = m_password.toLocal8Bit();
    if (m_library.RebootDevice(session, m_device->macAddress, password.constData()) != 0) {
        ShowRebootError(session);
        m_library.Close(session);
        return;
    }

    m_status = QString::fromLatin1(kovr::common::kRebootingStatus);
    UpdateData(false);
    // The wait blocks this thread: the status goes on screen first.
    m_statusLabel->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::sync();

    m_status = WaitForDevice(session);
    UpdateData(false);
    QApplication::restoreOverrideCursor();
    m_library.Close(session);
}

QString RebootDialog::WaitForDevice(KOVR_HANDLE session)
{
    namespace common = kovr::common;
    const common::RebootOutcome outcome = common::WaitForDevice(
        [&] { return PollDevice(session); }, [&] { m_pause(static_cast<int>(common::kRebootPollPause.count())); });
    return QString::fromLatin1(common::RebootStatusText(outcome));
}

bool RebootDialog::PollDevice(KOVR_HANDLE session)
{
    KOVRDeviceInfoRecord scratch;
    return m_library.GetDeviceInfo(session, m_device->macAddress, &scratch) == 0;
}

void RebootDialog::ShowRebootError(KOVR_HANDLE session)
{
    // "occured" is how this message has always read.
    ShowMessage(this, FormatLastError(
                          m_library, session,
                          tr("An Error occured while rebooting the device.\nError Number: %1\nError Message: %2\n")));
}
