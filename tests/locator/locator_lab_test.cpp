// The locator over the real library, against simulated devices in a private
// network: the list shows what answers, and the dialogs change the devices.
#include "locator/batch_dialog.h"
#include "locator/core/library_seam.h"
#include "locator/core/record_text.h"
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "locator/locator_dialog.h"
#include "locator/reboot_dialog.h"

#include "tests/locator/accessible_find.h"
#include "tests/support/lab.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
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

    // The windows pin devices in a state folder of the test's own.
    QTemporaryDir state_;

private slots:
    void initTestCase() { qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit()); }

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
        QCOMPARE(FormatDottedAddress(window.DeviceAt(0)->subnetMask), std::string("255.255.0.0"));
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

    // Four devices selected, one of which has another password: a range
    // from 10.77.1.100 reaches the other three, and the list shows it.
    void configuresTheSelectedDevicesFromARange()
    {
        Lab lab(Topology::Single);
        std::vector<nlohmann::json> devices;
        for (int i = 1; i <= 4; ++i) {
            nlohmann::json device = DeviceJson(i, "digest", i == 3 ? "other" : "secret");
            // Listed 4, 3, 2, 1: device 3 is given 10.77.1.101, and keeps its own.
            device["replyDelayMs"] = (4 - i) * 150;
            devices.push_back(device);
        }
        Simulator simulator(lab, {{"devices", devices}});

        LocatorDialog window(RealLibrary());
        window.show();
        QVERIFY(WaitForList(window));
        QCOMPARE(window.List()->topLevelItemCount(), 4);
        window.List()->selectAll();

        QMap<QString, QString> outcomes; // by MAC
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<BatchDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            Named<IpAddressControl>(*dialog, QStringLiteral("First address"))->SetAddress(0x0A4D0164); // 10.77.1.100
            Named<QLineEdit>(*dialog, QStringLiteral("Password"))->setText(QStringLiteral("secret"));
            Named<QPushButton>(*dialog, QStringLiteral("Apply"))->click();
            if (QTest::qWaitFor([&] { return dialog->Applied(); }, 60000)) {
                const QStringList macs = Column(Named<QTreeWidget>(*dialog, QStringLiteral("Preview")), 0);
                const QStringList statuses = Column(Named<QTreeWidget>(*dialog, QStringLiteral("Preview")), 4);
                for (int i = 0; i < macs.size(); ++i) {
                    outcomes[macs[i]] = statuses[i];
                }
            }
            dialog->reject();
        });
        window.OnConfigureSelectedDevices();
        QCOMPARE(outcomes.size(), 4);
        for (const QString &mac : outcomes.keys()) {
            if (mac == QStringLiteral("02:00:00:00:00:03")) {
                QVERIFY2(outcomes[mac].startsWith(QStringLiteral("failed: ")), qPrintable(outcomes[mac]));
            } else {
                QCOMPARE(outcomes[mac], QStringLiteral("verified"));
            }
        }

        // The list was searched again once the dialog closed.
        QVERIFY(WaitForList(window));
        QStringList addresses = Column(window.List(), 0);
        addresses.sort();
        QCOMPARE(addresses, (QStringList{"10.77.1.100", "10.77.1.102", "10.77.1.103", "10.77.1.13"}));
        window.reject();
    }
};

QTEST_MAIN(LocatorLabTest)
#include "locator_lab_test.moc"
