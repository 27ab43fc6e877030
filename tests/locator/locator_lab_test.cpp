// The locator over the real library, against simulated devices in a private
// network: the list shows what answers, and the dialogs change the devices.
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "locator/library_seam.h"
#include "locator/locator_dialog.h"
#include "locator/reboot_dialog.h"
#include "locator/record_text.h"

#include "tests/support/lab.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

constexpr int kSearchTimeoutMs = 30000;

QStringList Column(const QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

// Waits until the window's current search has been listed.
bool WaitForList(LocatorDialog &window)
{
    return QTest::qWaitFor(
        [&] {
            const QStringList rows = Column(window.List(), 0);
            return !rows.isEmpty() && !rows.contains(QStringLiteral("Searching..."));
        },
        kSearchTimeoutMs);
}

// Clicks a task button and lets `drive` work the modal dialog it opens; a
// command that `drive` started is waited for.
template <typename Dialog>
bool RunDialog(LocatorDialog &window, int button, const std::function<void(Dialog &)> &drive)
{
    bool driven = false;
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            drive(*dialog);
            driven = QTest::qWaitFor([dialog] { return !dialog->IsBusy(); }, kSearchTimeoutMs);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        }
    });
    window.ControlAs<QPushButton>(button)->click();
    return driven;
}

} // namespace

class LocatorLabTest : public QObject {
    Q_OBJECT

private slots:
    void listsTheSimulatedDevicesInReplyOrder()
    {
        Lab lab(Topology::Single);
        std::vector<nlohmann::json> devices;
        for (int i = 1; i <= 3; ++i) {
            nlohmann::json device = DeviceJson(i);
            // Spaced out so that the reply order is certain.
            device["replyDelayMs"] = (3 - i) * 150;
            devices.push_back(device);
        }
        Simulator simulator(lab, {{"devices", devices}});

        LocatorDialog window(RealLibrary());
        window.show();
        QVERIFY(WaitForList(window));
        QCOMPARE(Column(window.List(), 0), (QStringList{"10.77.1.13", "10.77.1.12", "10.77.1.11"}));
        QCOMPARE(Column(window.List(), 1),
                 (QStringList{"02:00:00:00:00:03", "02:00:00:00:00:02", "02:00:00:00:00:01"}));
        QCOMPARE(Column(window.List(), 2), (QStringList{"lab-3", "lab-2", "lab-1"}));
        QCOMPARE(Column(window.List(), 3), (QStringList{"7100-NT", "7100-NT", "7100-NT"}));
        QCOMPARE(window.GetSelectedDevice(), window.DeviceAt(0));
        window.reject();
    }

    void setsAStaticAddressThenDhcpThenReboots()
    {
        Lab lab(Topology::Single);
        nlohmann::json device = DeviceJson(1);
        device["rebootDowntimeMs"] = 700;
        Simulator simulator(lab, {{"devices", {device}}});

        LocatorDialog window(RealLibrary());
        window.show();
        QVERIFY(WaitForList(window));
        QCOMPARE(Column(window.List(), 0), QStringList{"10.77.1.11"});

        QVERIFY(RunDialog<IpSettingsDialog>(window, ControlId::ConfigureIpSettings, [](IpSettingsDialog &dialog) {
            QVERIFY(dialog.ControlAs<QRadioButton>(ControlId::ManualRadio)->isChecked());
            dialog.ControlAs<IpAddressControl>(ControlId::IpAddress)->SetAddress(0x0A4D0132); // 10.77.1.50
            dialog.ControlAs<IpAddressControl>(ControlId::SubnetMask)->SetAddress(0xFFFF0000);
            dialog.ControlAs<IpAddressControl>(ControlId::Gateway)->SetAddress(0x0A4D0101);
            dialog.ControlAs<QLineEdit>(ControlId::Password)->setText(QStringLiteral("secret"));
            dialog.ControlAs<QPushButton>(ControlId::Ok)->click();
        }));
        // Unchanged until the next search.
        QCOMPARE(Column(window.List(), 0), QStringList{"10.77.1.11"});
        window.RefreshList();
        QVERIFY(WaitForList(window));
        QCOMPARE(Column(window.List(), 0), QStringList{"10.77.1.50"});
        QCOMPARE(FormatDottedAddress(window.DeviceAt(0)->subnetMask), QStringLiteral("255.255.0.0"));
        QCOMPARE(window.DeviceAt(0)->dhcpMode, uint8_t(0));

        QVERIFY(RunDialog<IpSettingsDialog>(window, ControlId::ConfigureIpSettings, [](IpSettingsDialog &dialog) {
            QTest::mouseClick(dialog.ControlAs<QRadioButton>(ControlId::DhcpRadio), Qt::LeftButton);
            dialog.ControlAs<QLineEdit>(ControlId::Password)->setText(QStringLiteral("secret"));
            dialog.ControlAs<QPushButton>(ControlId::Ok)->click();
        }));

        QString status;
        QVERIFY(RunDialog<RebootDialog>(window, ControlId::RebootDevice, [&](RebootDialog &dialog) {
            dialog.ControlAs<QLineEdit>(ControlId::RebootPassword)->setText(QStringLiteral("secret"));
            dialog.ControlAs<QPushButton>(ControlId::Reboot)->click();
            QVERIFY(QTest::qWaitFor([&] { return !dialog.IsBusy(); }, kSearchTimeoutMs));
            status = dialog.ControlAs<QLabel>(ControlId::Status)->text();
        }));
        QCOMPARE(status, QStringLiteral("Status: Ready"));

        window.RefreshList();
        QVERIFY(WaitForList(window));
        QCOMPARE(Column(window.List(), 1), QStringList{"02:00:00:00:00:01"});
        QCOMPARE(window.DeviceAt(0)->dhcpMode, uint8_t(1));
        QVERIFY(window.DeviceAt(0)->presentFields & KOVR_FIELD_DHCP_MODE);
        window.reject();
    }
};

QTEST_MAIN(LocatorLabTest)
#include "locator_lab_test.moc"
