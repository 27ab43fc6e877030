// Configuring several devices at once: the addresses a range hands out, the
// preview's marks, the apply with its outcomes, cancel and close, plans,
// and the main window's selection of several rows.
#include "locator/address_range.h"
#include "locator/batch_dialog.h"
#include "locator/device_info_dialog.h"
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "locator/reboot_dialog.h"
#include "locator/record_text.h"
#include "tests/locator/accessible_find.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/locator_window.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>

#include <numeric>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

FakeLibrary::Mac MacOf(int n)
{
    return {0x02, 0x00, 0x00, 0x00, 0x00, static_cast<uint8_t>(n)};
}

// Devices 1..count named cam-n at 10.77.1.(10 + n), in a /24 with gateway
// 10.77.1.1.
std::vector<KOVRDeviceInfoRecord> Devices(int count)
{
    std::vector<KOVRDeviceInfoRecord> devices;
    for (int n = 1; n <= count; ++n) {
        const QByteArray ip = QByteArrayLiteral("10.77.1.") + QByteArray::number(10 + n);
        const QByteArray name = QByteArrayLiteral("cam-") + QByteArray::number(n);
        KOVRDeviceInfoRecord record = MakeRecord(MacOf(n), ip.constData(), name.constData());
        record.presentFields |= KOVR_FIELD_SUBNET_MASK | KOVR_FIELD_GATEWAY_ADDRESS | KOVR_FIELD_DHCP_MODE;
        record.subnetMask = Address("255.255.255.0");
        record.gatewayAddress = Address("10.77.1.1");
        devices.push_back(record);
    }
    return devices;
}

const std::vector<kovr::common::LocalSubnet> kSubnets = {{Address("10.77.1.1"), Address("255.255.255.0")}};

std::vector<size_t> Positions(std::initializer_list<size_t> positions)
{
    return positions;
}

void SetAddress(const QWidget &dialog, const char *name, const char *dotted)
{
    Named<IpAddressControl>(dialog, QString::fromLatin1(name))->SetAddress(ntohl(Address(dotted)));
}

QStringList Column(const QWidget &dialog, int column)
{
    return RowTexts(Named<QTreeWidget>(dialog, QStringLiteral("Preview")), column);
}

QString Dotted(uint32_t networkOrder)
{
    return FormatDottedAddress(networkOrder);
}

// Types the password and presses Apply, then waits for the outcome.
bool ApplyAndWait(BatchDialog &dialog, const char *password = "secret")
{
    Named<QLineEdit>(dialog, QStringLiteral("Password"))->setText(QString::fromLatin1(password));
    Named<QPushButton>(dialog, QStringLiteral("Apply"))->click();
    return QTest::qWaitFor([&] { return !dialog.IsApplying(); }, 20000);
}

} // namespace

class BatchConfigurationTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void rangeSkipsAddressesOtherDevicesHold_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("expected"); // for devices 1, 3 and 4 of five
        QTest::addColumn<QString>("error");
        // Device 2 holds .12 and device 5 .15; the gateway is 10.77.1.20.
        QTest::newRow("others' addresses and the gateway skipped")
            << "10.77.1.15"
            << "255.255.255.0" << QStringList{"10.77.1.16", "10.77.1.17", "10.77.1.18"} << "";
        QTest::newRow("a device keeps its own, not another's")
            << "10.77.1.11"
            << "255.255.255.0" << QStringList{"10.77.1.11", "10.77.1.13", "10.77.1.14"} << "";
        QTest::newRow("past the gateway")
            << "10.77.1.19"
            << "255.255.255.0" << QStringList{"10.77.1.19", "10.77.1.21", "10.77.1.22"} << "";
        QTest::newRow("the subnet's own address is no device's")
            << "10.77.1.0"
            << "255.255.255.0" << QStringList{} << "10.77.1.0 is not a device address in 10.77.1.0/24";
        QTest::newRow("too few free addresses after the first")
            << "10.77.1.253"
            << "255.255.255.0" << QStringList{}
            << "From 10.77.1.253 to the end of 10.77.1.0/24 only 2 addresses are free, and 3 devices need one";
        QTest::newRow("a mask that isn't contiguous")
            << "10.77.1.30"
            << "255.0.255.0" << QStringList{} << "The subnet mask 255.0.255.0 is not contiguous";
    }

    void rangeSkipsAddressesOtherDevicesHold()
    {
        QFETCH(QString, first);
        QFETCH(QString, mask);
        QFETCH(QStringList, expected);
        QFETCH(QString, error);
        const AddressRange range{Address(qPrintable(first)), Address(qPrintable(mask)), Address("10.77.1.20")};
        const RangeAssignment assigned = AssignAddresses(range, Devices(5), Positions({0, 2, 3}));
        QStringList addresses;
        for (uint32_t address : assigned.addresses) {
            addresses << Dotted(address);
        }
        QCOMPARE(addresses, expected);
        QCOMPARE(assigned.error.left(error.size()), error);
    }

    // What the preview marks keeps Apply off, and nothing is sent.
    void previewMarksWhatCheckWouldFind_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("mark"); // of the first selected device
        QTest::addColumn<bool>("applies");
        QTest::newRow("a range inside the subnet") << "10.77.1.100"
                                                   << "255.255.255.0"
                                                   << "10.77.1.1"
                                                   << "ready" << true;
        QTest::newRow("a range that leaves the interface's subnet")
            << "10.77.2.100"
            << "255.255.255.0"
            << "10.77.2.1"
            << "10.77.2.100 is outside 10.77.1.0/24, the subnet of interface 10.77.1.1" << false;
        QTest::newRow("a gateway outside the new subnet")
            << "10.77.1.100"
            << "255.255.255.0"
            << "10.77.9.1"
            << "Gateway 10.77.9.1 is outside the device's subnet" << false;
        QTest::newRow("too few addresses: no mark, a message") << "10.77.1.254"
                                                               << "255.255.255.0"
                                                               << "10.77.1.1"
                                                               << "" << false;
    }

    void previewMarksWhatCheckWouldFind()
    {
        QFETCH(QString, first);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, mark);
        QFETCH(bool, applies);
        FakeLibrary fake;
        BatchDialog dialog(fake.Seam(), {Devices(3), kSubnets}, Positions({0, 2}));
        dialog.show();
        SetAddress(dialog, "First address", qPrintable(first));
        SetAddress(dialog, "Subnet mask", qPrintable(mask));
        SetAddress(dialog, "Gateway", qPrintable(gateway));
        QCOMPARE(Column(dialog, 4).first().left(mark.size()), mark);
        QCOMPARE(Named<QLabel>(dialog, QStringLiteral("Problem"))->isVisibleTo(&dialog), !applies);
        auto *apply = Named<QPushButton>(dialog, QStringLiteral("Apply"));
        QCOMPARE(apply->isEnabled(), applies);
        if (!applies) {
            QTest::keyClick(&dialog, Qt::Key_Return);
            dialog.OnApply();
            QCOMPARE(fake.CommandCount(), 0);
            QVERIFY(!dialog.IsApplying());
        }
    }

    void eachRowShowsItsOutcomeAndTheTableSavesAsCsv()
    {
        FakeLibrary fake;
        fake.devices = Devices(3);
        fake.commandResults[MacOf(2)] = 1;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("outcomes.csv"));

        BatchDialog dialog(fake.Seam(), {fake.devices, kSubnets}, Positions({0, 1, 2}));
        dialog.show();
        SetAddress(dialog, "First address", "10.77.1.50");
        QVERIFY(ApplyAndWait(dialog));
        QCOMPARE(Column(dialog, 3), (QStringList{"ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.1.1",
                                                 "ip 10.77.1.51 mask 255.255.255.0 gateway 10.77.1.1",
                                                 "ip 10.77.1.52 mask 255.255.255.0 gateway 10.77.1.1"}));
        QCOMPARE(Column(dialog, 4),
                 (QStringList{"verified", "failed: failed (result 1); error 1: Authentication Failed", "verified"}));
        QCOMPARE(fake.networkCalls.size(), size_t(3)); // a refusal is never sent again
        for (const FakeLibrary::NetworkCall &call : fake.networkCalls) {
            QCOMPARE(call.password, std::string("secret"));
        }
        auto *progress = Named<QProgressBar>(dialog, QStringLiteral("Progress"));
        QCOMPARE(progress->value(), progress->maximum());
        QVERIFY(Named<QLineEdit>(dialog, QStringLiteral("Password"))->text().isEmpty());

        QVERIFY(dialog.SaveOutcomes(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().split('\n').mid(0, 3),
                 (QList<QByteArray>{
                     "mac,name,outcome,before,after,detail",
                     "02:00:00:00:00:01,cam-1,verified,ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.1,"
                     "ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.1.1,",
                     "02:00:00:00:00:02,cam-2,failed,ip 10.77.1.12 mask 255.255.255.0 gateway 10.77.1.1,"
                     "ip 10.77.1.51 mask 255.255.255.0 gateway 10.77.1.1,failed (result 1); error 1: Authentication "
                     "Failed"}));
    }

    // Cancel and closing both stop between devices: those in hand finish,
    // the rest are never sent anything, and no worker is left.
    void cancelAndCloseStopBetweenDevices_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Cancel") << false;
        QTest::newRow("closing the dialog") << true;
    }

    void cancelAndCloseStopBetweenDevices()
    {
        QFETCH(bool, close);
        constexpr int kDevices = 40;
        FakeLibrary fake;
        fake.devices = Devices(kDevices);
        Gate gate;
        fake.onCommand = [&] { gate.Pass(); };
        BatchDialog dialog(fake.Seam(), {fake.devices, kSubnets}, [] {
            std::vector<size_t> all(kDevices);
            std::iota(all.begin(), all.end(), 0);
            return all;
        }());
        dialog.show();
        Named<QRadioButton>(dialog, QStringLiteral("Obtain the network settings via DHCP"))->click();
        Named<QPushButton>(dialog, QStringLiteral("Apply"))->click();
        QVERIFY(QTest::qWaitFor([&] { return gate.Reached(); }));
        if (close) {
            dialog.reject();
        } else {
            Named<QPushButton>(dialog, QStringLiteral("Cancel"))->click();
        }
        QVERIFY(dialog.isVisible());
        gate.Open();
        QVERIFY(QTest::qWaitFor([&] { return !dialog.IsApplying(); }));
        QCOMPARE(dialog.isVisible(), !close);
        const QStringList outcomes = Column(dialog, 4);
        const int sent = static_cast<int>(fake.dhcpCalls.size());
        QVERIFY(sent >= 1 && sent < kDevices);
        QCOMPARE(outcomes.count(QStringLiteral("cancelled")), kDevices - sent);
        QCOMPARE(outcomes.count(QStringLiteral("verified")), sent);
    }

    void plansThatCantBeUsedSendNothing_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("message"); // after the first line; none: the dialog opens
        QTest::newRow("valid") << QByteArray("mac,dhcp\n02:00:00:00:00:02,on\n") << QString();
        QTest::newRow("not valid, by line")
            << QByteArray("mac,ip,mask,gateway\n02:00:00:00:00:01,10.77.1.40,255.0.255.0,10.77.1.1\n")
            << "line 2: mask '255.0.255.0' is not a subnet mask such as 255.255.255.0\n";
        QTest::newRow("a device not in the list")
            << QByteArray("[{\"mac\": \"02:00:00:00:00:09\", \"dhcp\": true}]")
            << "index 0: 02:00:00:00:00:09 is not in the list; search again, or take it out of the plan\n";
    }

    void plansThatCantBeUsedSendNothing()
    {
        QFETCH(QByteArray, plan);
        QFETCH(QString, message);
        FakeLibrary fake;
        fake.devices = Devices(2);
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QTemporaryDir directory;
        QFile file(directory.filePath(QStringLiteral("plan")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(plan) == plan.size());
        file.close();

        MessageCapture messages;
        QStringList shown;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<BatchDialog *>(QApplication::activeModalWidget())) {
                shown = Column(*dialog, 3);
                dialog->reject();
            }
        });
        window->ApplyPlanFile(file.fileName());
        if (message.isEmpty()) {
            QCOMPARE(shown, QStringList{"DHCP"});
            QVERIFY(MessageCapture::Texts().empty());
        } else {
            QVERIFY(shown.isEmpty());
            QCOMPARE(MessageCapture::Texts().size(), size_t(1));
            QCOMPARE(MessageCapture::Texts()[0].section(QLatin1Char('\n'), 1), message);
        }
        QCOMPARE(fake.CommandCount(), 0);
    }

    // One row selected is as it always was; several turn the single-device
    // tasks off and Configure Selected Devices on, and after its apply the
    // list is searched again.
    void severalRowsTurnTheBatchOn_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("batch");
        QTest::newRow("one row") << QList<int>{1} << false;
        QTest::newRow("Ctrl-click") << QList<int>{0, 2} << true;
        QTest::newRow("Shift-click") << QList<int>{0, 1, 2} << true;
    }

    void severalRowsTurnTheBatchOn()
    {
        QFETCH(QList<int>, rows);
        QFETCH(bool, batch);
        FakeLibrary fake;
        fake.devices = Devices(3);
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QTreeWidget *list = window->List();
        auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                              list->visualItemRect(list->topLevelItem(row)).center());
        };
        click(rows.first(), Qt::NoModifier);
        if (rows.size() > 1) {
            click(rows.last(), rows.size() == 2 ? Qt::ControlModifier : Qt::ShiftModifier);
        }
        QCOMPARE(window->SelectedPositions().size(), size_t(rows.size()));
        for (int id : {ControlId::ConfigureIpSettings, ControlId::DeviceInfo, ControlId::RebootDevice}) {
            QCOMPARE(window->Control(id)->isEnabled(), !batch);
        }

        QString opened;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            opened = modal ? QString::fromLatin1(modal->metaObject()->className()) : QString();
            if (auto *dialog = qobject_cast<BatchDialog *>(modal)) {
                Named<QRadioButton>(*dialog, QStringLiteral("Obtain the network settings via DHCP"))->click();
                QVERIFY(ApplyAndWait(*dialog));
            }
            if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                dialog->reject();
            }
        });
        // The single-device task where it still works, else the batch's shortcut.
        if (batch) {
            QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            window->ControlAs<QPushButton>(ControlId::ConfigureIpSettings)->click();
        }
        QCOMPARE(opened, batch ? QStringLiteral("kovr::locator::BatchDialog")
                               : QStringLiteral("kovr::locator::IpSettingsDialog"));
        QCOMPARE(fake.dhcpCalls.size() + fake.networkCalls.size(), size_t(batch ? rows.size() : 0));
        QVERIFY(QTest::qWaitFor([&] { return fake.searches == (batch ? 2 : 1) && !window->IsSearching(); }));
    }

    // Screen readers, and these tests, find every control of every window
    // by what it says.
    void everyControlHasAnAccessibleName_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *window : {"main", "ip", "reboot", "info", "batch"}) {
            QTest::newRow(window) << QString::fromLatin1(window);
        }
    }

    void everyControlHasAnAccessibleName()
    {
        QFETCH(QString, window);
        FakeLibrary fake;
        fake.devices = Devices(2);
        auto main = OpenWindow(fake);
        QVERIFY(main);
        std::unique_ptr<QWidget> dialog;
        if (window == QLatin1String("ip")) {
            dialog = std::make_unique<IpSettingsDialog>(fake.Seam(), fake.devices[0], main.get());
        } else if (window == QLatin1String("reboot")) {
            dialog = std::make_unique<RebootDialog>(fake.Seam(), fake.devices[0], main.get());
        } else if (window == QLatin1String("info")) {
            dialog = std::make_unique<DeviceInfoDialog>(fake.devices[0], main.get());
        } else if (window == QLatin1String("batch")) {
            dialog = std::make_unique<BatchDialog>(fake.Seam(), BatchDialog::Devices{fake.devices, kSubnets},
                                                   Positions({0, 1}), main.get());
        }
        QWidget &shown = dialog ? *dialog : *main;
        shown.show();
        for (QWidget *widget : shown.findChildren<QWidget *>()) {
            if (widget->focusPolicy() == Qt::NoFocus && !qobject_cast<QProgressBar *>(widget)) {
                continue;
            }
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(), widget->metaObject()->className());
        }
        dialog.reset();
        main->reject();
    }
};

KOVR_GUI_TEST(BatchConfigurationTest)
#include "batch_configuration_test.moc"
