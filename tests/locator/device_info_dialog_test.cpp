// The device information block: eleven lines rendered from the record.
#include "locator/device_info_dialog.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/gui_tests.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};

QString Details(const KOVRDeviceInfoRecord &record)
{
    DeviceInfoDialog dialog(record);
    dialog.show();
    const QString text = dialog.ControlAs<QLabel>(ControlId::Details)->text();
    dialog.reject();
    return text;
}

QString Line(const QString &details, const QString &label)
{
    for (const QString &line : details.split(QLatin1Char('\n'))) {
        if (line.startsWith(label + QStringLiteral(": "))) {
            return line.mid(label.size() + 2);
        }
    }
    return QStringLiteral("<missing>");
}

} // namespace

class DeviceInfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void rendersEveryFieldInElevenLines()
    {
        KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.0.0.5", "lab-1", "7100-NT");
        record.version = 513;
        record.interfaceAddress = Address("10.0.0.1");
        record.vendorId = KOVR_MAGIC_LORX;
        record.subnetMask = Address("255.0.0.0");
        record.gatewayAddress = Address("10.0.0.254");
        record.dnsAddress = Address("10.0.0.53");
        record.presentFields |= KOVR_FIELD_DHCP_MODE;
        record.dhcpMode = 0;
        record.advisory = 65535;
        QCOMPARE(Details(record), QStringLiteral("Version: 513\n"
                                                 "Interface Address: 10.0.0.1\n"
                                                 "Vendor ID: 1280266840\n"
                                                 "MAC Address: 02:1a:2b:3c:4d:5e\n"
                                                 "IP Address: 10.0.0.5\n"
                                                 "Subnet Mask: 255.0.0.0\n"
                                                 "Gateway Address: 10.0.0.254\n"
                                                 "DNS Address: 10.0.0.53\n"
                                                 "DHCP Mode: Disabled\n"
                                                 "Device Name: lab-1\n"
                                                 "Advisory: 65535\n"));
    }

    void dhcpLineFollowsThePresenceBit_data()
    {
        QTest::addColumn<bool>("reported");
        QTest::addColumn<int>("dhcpMode");
        QTest::addColumn<QString>("text");
        QTest::newRow("not reported, mode 1") << false << 1 << "N/A";
        QTest::newRow("not reported, mode 0") << false << 0 << "N/A";
        QTest::newRow("enabled") << true << 1 << "Enabled";
        QTest::newRow("disabled") << true << 0 << "Disabled";
        QTest::newRow("other value") << true << 2 << "Disabled";
    }

    void dhcpLineFollowsThePresenceBit()
    {
        QFETCH(bool, reported);
        QFETCH(int, dhcpMode);
        QFETCH(QString, text);
        KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.0.0.5");
        record.dhcpMode = static_cast<uint8_t>(dhcpMode);
        if (reported) {
            record.presentFields |= KOVR_FIELD_DHCP_MODE;
        }
        QCOMPARE(Line(Details(record), QStringLiteral("DHCP Mode")), text);
    }

    void anEmptyNameLeavesItsLineEmpty()
    {
        const KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.0.0.5", "");
        QVERIFY(Details(record).contains(QStringLiteral("\nDevice Name: \nAdvisory: 0\n")));
    }

    void namesAreShownAsStoredNotAsMarkup()
    {
        const KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.0.0.5", "<b>cam</b> & co");
        DeviceInfoDialog dialog(record);
        dialog.show();
        const auto *label = dialog.ControlAs<QLabel>(ControlId::Details);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(Line(label->text(), QStringLiteral("Device Name")), QStringLiteral("<b>cam</b> & co"));
        dialog.reject();
    }

    // Device text is shown made safe: each byte that isn't UTF-8 as U+FFFD,
    // control characters escaped, so the name keeps to its line.
    void aNameIsShownMadeSafeOnItsOwnLine_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cut in a character") << QByteArray("caf\xc3") << QStringLiteral("caf\uFFFD");
        QTest::newRow("cut later in one") << QByteArray("caf\xe2\x82") << QStringLiteral("caf\uFFFD\uFFFD");
        QTest::newRow("a stray byte") << QByteArray("a\xff"
                                                    "b")
                                      << QStringLiteral("a\uFFFDb");
        QTest::newRow("a line break, a tab and a control character")
            << QByteArray("a\nb\tc\x1b") << QStringLiteral("a\\x0ab\\x09c\\x1b");
    }

    void aNameIsShownMadeSafeOnItsOwnLine()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        const QString details = Details(MakeRecord(kMac, "10.0.0.5", name.constData()));
        QCOMPARE(details.count(QLatin1Char('\n')), 11);
        QCOMPARE(Line(details, QStringLiteral("Device Name")), shown);
        QVERIFY(details.endsWith(QStringLiteral("\nAdvisory: 0\n")));
    }

    void aRecordWithOnlyAMacShowsTheInitialValues()
    {
        KOVRDeviceInfoRecord record{};
        record.recordSize = sizeof record;
        record.version = 512;
        record.presentFields = KOVR_FIELD_MAC_ADDRESS;
        std::memcpy(record.macAddress, kMac.data(), kMac.size());
        const QString details = Details(record);
        QCOMPARE(details.count(QLatin1Char('\n')), 11);
        QCOMPARE(Line(details, QStringLiteral("Version")), QStringLiteral("512"));
        for (const char *label : {"Interface Address", "IP Address", "Subnet Mask", "Gateway Address", "DNS Address"}) {
            QCOMPARE(Line(details, QLatin1String(label)), QStringLiteral("0.0.0.0"));
        }
        QCOMPARE(Line(details, QStringLiteral("MAC Address")), QStringLiteral("02:1a:2b:3c:4d:5e"));
        QCOMPARE(Line(details, QStringLiteral("DHCP Mode")), QStringLiteral("N/A"));
    }

    void okAndEnterClose()
    {
        const KOVRDeviceInfoRecord record = MakeRecord(kMac, "10.0.0.5");
        DeviceInfoDialog dialog(record);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Device Information"));
        QCOMPARE(dialog.focusWidget(), dialog.Control(ControlId::Ok));
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

KOVR_GUI_TEST(DeviceInfoDialogTest)
#include "device_info_dialog_test.moc"
