#include "locator/reboot_dialog.h"

#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/record_text.h"
#include "locator/stop_signal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include <array>
#include <cstring>

namespace {

using Mac = std::array<uint8_t, 6>;

Mac MacOf(const KOVRDeviceInfoRecord &record)
{
    Mac mac;
    std::memcpy(mac.data(), record.macAddress, mac.size());
    return mac;
}

} // namespace

RebootDialog::RebootDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kRebootTemplate, parent), m_library(library),
      m_productLabel(ControlAs<QLabel>(ControlId::ProductLine)), m_macLabel(ControlAs<QLabel>(ControlId::MacLine)),
      m_passwordEdit(ControlAs<QLineEdit>(ControlId::RebootPassword)),
      m_statusLabel(ControlAs<QLabel>(ControlId::Status)), m_stop(std::make_shared<StopSignal>()),
      m_pause([stop = m_stop](int milliseconds) { stop->Pause(std::chrono::milliseconds(milliseconds)); })
{
    connect(ControlAs<QPushButton>(ControlId::Reboot), &QPushButton::clicked, this, &RebootDialog::OnReboot);
    connect(&m_command, &QFutureWatcher<int32_t>::finished, this, &RebootDialog::OnRebootSent);
    connect(&m_wait, &QFutureWatcher<kovr::common::RebootOutcome>::finished, this, &RebootDialog::OnWaitEnded);
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
    if (IsBusy())
        return;
    m_session = m_library.OpenByGuid(&kLocatorSessionGuid);
    UpdateData(true);
    m_busy = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    const LibrarySeam *library = &m_library;
    KOVR_HANDLE session = m_session;
    const QByteArray password = m_password.toLocal8Bit();
    m_command.setFuture(QtConcurrent::run([library, session, mac = MacOf(*m_device), password] {
        return library->RebootDevice(session, mac.data(), password.constData());
    }));
}

void RebootDialog::OnRebootSent()
{
    if (m_command.result() != 0) {
        m_busy.reset();
        ShowRebootError(m_session);
        EndPress();
        return;
    }

    m_status = QString::fromLatin1(kovr::common::kRebootingStatus);
    UpdateData(false);
    m_busy = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);

    const LibrarySeam *library = &m_library;
    KOVR_HANDLE session = m_session;
    m_wait.setFuture(QtConcurrent::run([library, session, mac = MacOf(*m_device), pause = m_pause, stop = m_stop] {
        namespace common = kovr::common;
        return common::WaitForDevice(
            [&] {
                // Once the dialog has gone, nobody reads the outcome.
                if (stop->Stopped())
                    return true;
                KOVRDeviceInfoRecord scratch;
                return library->GetDeviceInfo(session, mac.data(), &scratch) == 0;
            },
            [&] { pause(static_cast<int>(common::kRebootPollPause.count())); });
    }));
}

void RebootDialog::OnWaitEnded()
{
    m_status = QString::fromLatin1(kovr::common::RebootStatusText(m_wait.result()));
    UpdateData(false);
    m_busy.reset();
    EndPress();
}

void RebootDialog::EndPress()
{
    m_library.Close(m_session);
    m_session = nullptr;
}

void RebootDialog::done(int result)
{
    if (IsBusy()) {
        // The device reboots anyway; the wait ends, and the session is
        // closed on the worker once its call has returned.
        m_stop->Stop();
        m_command.disconnect(this);
        m_wait.disconnect(this);
        const LibrarySeam *library = &m_library;
        KOVR_HANDLE session = m_session;
        QFuture<void> running = m_wait.isRunning() ? QFuture<void>(m_wait.future()) : QFuture<void>(m_command.future());
        running.then([library, session] { library->Close(session); });
        m_session = nullptr;
        m_busy.reset();
    }
    TemplateDialog::done(result);
}

void RebootDialog::ShowRebootError(KOVR_HANDLE session)
{
    // "occured" is how this message has always read.
    ShowMessage(this, FormatLastError(
                          m_library, session,
                          tr("An Error occured while rebooting the device.\nError Number: %1\nError Message: %2\n")));
}
