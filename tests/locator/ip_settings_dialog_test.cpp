// The IP settings dialog's binding to its form: the state drawn, the clicks
// and keys forwarded, and the password wiped in the field's own buffer.
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/message_capture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstring>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};

KOVRDeviceInfoRecord DeviceRecord(uint8_t dhcpMode)
{
    return SettingsRecord(kMac, "7100-NT", dhcpMode, true);
}

// The bytes of a 32-bit value as it lies in memory.
QByteArray Bytes(uint32_t value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

struct Dialog {
    // A plain device: the GUI tests' main says yes to its question.
    Dialog(FakeLibrary &fake, const KOVRDeviceInfoRecord &record) : dialog(fake.Seam(), record, pins.Pins())
    {
        dialog.show();
    }
    IpAddressControl *Address(int id) const { return dialog.ControlAs<IpAddressControl>(id); }
    QLineEdit *Password() const { return dialog.ControlAs<QLineEdit>(ControlId::Password); }
    QRadioButton *Radio(int id) const { return dialog.ControlAs<QRadioButton>(id); }
    QString Label(int id) const { return dialog.ControlAs<QLabel>(id)->text(); }
    QPushButton *Button(int id) const { return dialog.ControlAs<QPushButton>(id); }
    // Applies, then waits until the command has returned.
    bool Apply()
    {
        Button(ControlId::Ok)->click();
        return QTest::qWaitFor([this] { return !dialog.IsBusy(); });
    }

    TempPins pins;
    IpSettingsDialog dialog;
};

} // namespace

class IpSettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void opensDrawnFromTheForm_data()
    {
        QTest::addColumn<int>("dhcpMode");
        QTest::addColumn<bool>("dhcp");
        QTest::newRow("DHCP on") << 1 << true;
        QTest::newRow("DHCP off") << 0 << false;
    }

    void opensDrawnFromTheForm()
    {
        QFETCH(int, dhcpMode);
        QFETCH(bool, dhcp);
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = DeviceRecord(static_cast<uint8_t>(dhcpMode));
        Dialog d(fake, record);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Set IP Address"));
        QCOMPARE(d.Label(ControlId::ProductText), QStringLiteral("7100-NT"));
        QCOMPARE(d.Label(ControlId::MacText), QStringLiteral("0a:1b:2c:3d:4e:5f"));
        QCOMPARE(d.Radio(ControlId::DhcpRadio)->isChecked(), dhcp);
        QCOMPARE(d.Radio(ControlId::ManualRadio)->isChecked(), !dhcp);
        for (int id : {ControlId::IpAddress, ControlId::SubnetMask, ControlId::Gateway}) {
            QCOMPARE(d.Address(id)->isEnabled(), !dhcp);
        }
        // Filled from the record in either mode.
        QCOMPARE(d.Address(ControlId::IpAddress)->GetAddress(), 0x0A4D010Au);
        QCOMPARE(d.Address(ControlId::SubnetMask)->GetAddress(), 0xFFFFFF00u);
        QCOMPARE(d.Address(ControlId::Gateway)->GetAddress(), 0x0A4D01FEu);
        QWidget *focus = dhcp ? static_cast<QWidget *>(d.Password()) : d.Address(ControlId::IpAddress)->Field(0);
        QCOMPARE(d.dialog.focusWidget(), focus);
        QCOMPARE(d.Password()->echoMode(), QLineEdit::Password);
    }

    void theModeIsChosenByKeyboard_data() { opensDrawnFromTheForm_data(); }

    // Tab reaches the radio group at its checked button; an arrow key
    // chooses the other mode, which the form gets.
    void theModeIsChosenByKeyboard()
    {
        QFETCH(bool, dhcp);
        FakeLibrary fake;
        Dialog d(fake, DeviceRecord(dhcp ? 1 : 0));
        // The arrow keys move among the buttons of the active window.
        d.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
        // From the last tab stop round to the first.
        d.Button(ControlId::Cancel)->setFocus();
        QTest::keyClick(d.Button(ControlId::Cancel), Qt::Key_Tab);
        QCOMPARE(d.dialog.focusWidget(), d.Radio(dhcp ? ControlId::DhcpRadio : ControlId::ManualRadio));
        QTest::keyClick(d.dialog.focusWidget(), dhcp ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(d.Radio(dhcp ? ControlId::ManualRadio : ControlId::DhcpRadio)->isChecked());
        QCOMPARE(d.Address(ControlId::Gateway)->isEnabled(), dhcp);
    }

    void aRadioClickEmptiesThePasswordAndRestoresTheAddresses()
    {
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = DeviceRecord(0);
        Dialog d(fake, record);
        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        d.Address(ControlId::IpAddress)->SetAddress(0xC0A80163);
        // Also a click on the button that is already checked.
        QTest::mouseClick(d.Radio(ControlId::ManualRadio), Qt::LeftButton);
        QCOMPARE(d.Password()->text(), QString());
        QCOMPARE(d.Address(ControlId::IpAddress)->GetAddress(), 0x0A4D010Au);

        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        QTest::mouseClick(d.Radio(ControlId::DhcpRadio), Qt::LeftButton);
        QCOMPARE(d.Password()->text(), QString());
        QVERIFY(d.Radio(ControlId::DhcpRadio)->isChecked());
        QVERIFY(!d.Address(ControlId::Gateway)->isEnabled());
        QCOMPARE(fake.CommandCount(), 0);
    }

    void applyPassesTheFieldsAndClosesAccepted()
    {
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = DeviceRecord(0);
        Dialog d(fake, record);
        d.Address(ControlId::IpAddress)->SetAddress(0xC0A8010A);
        d.Address(ControlId::SubnetMask)->SetAddress(0xFFFFFF00);
        // A blank field reads as 0.
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            d.Address(ControlId::Gateway)->Field(i)->clear();
        }
        d.Password()->setText(QString::fromUtf8("s\xC3\xA9"
                                                "cret\xE6\x9D\xB1\xF0\x9F\x94\x91"));
        // Enter in the password field is Apply.
        QTest::keyClick(d.Password(), Qt::Key_Return);
        QTRY_VERIFY(!d.dialog.IsBusy());
        QCOMPARE(fake.networkCalls.size(), size_t(1));
        QVERIFY(fake.dhcpCalls.empty());
        const FakeLibrary::NetworkCall &call = fake.networkCalls[0];
        QCOMPARE(Bytes(call.ip), QByteArray::fromHex("C0A8010A"));
        QCOMPARE(Bytes(call.mask), QByteArray::fromHex("FFFFFF00"));
        QCOMPARE(call.gateway, 0u);
        // As UTF-8, the bytes kovr sends, whatever the locale.
        QCOMPARE(call.password, std::string("s\xC3\xA9"
                                            "cret\xE6\x9D\xB1\xF0\x9F\x94\x91"));
        QCOMPARE(call.mac, kMac);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
    }

    void closingWaitsForTheCommandAndStillShowsItsFailure()
    {
        FakeLibrary fake;
        fake.commandResult = 1;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        Gate gate;
        fake.onCommand = [&] { gate.Pass(); };
        MessageCapture messages;
        const KOVRDeviceInfoRecord record = DeviceRecord(1);
        Dialog d(fake, record);
        d.Button(ControlId::Ok)->click();
        QTRY_VERIFY(gate.Reached());

        d.dialog.close();
        d.dialog.reject();
        QVERIFY(d.dialog.isVisible());
        QVERIFY(MessageCapture::Texts().empty());

        gate.Open();
        QTRY_VERIFY(!d.dialog.isVisible());
        QCOMPARE(MessageCapture::Texts(),
                 std::vector<QString>{
                     QStringLiteral("An Error occurred.\nError Number: 1\nError Message: Authentication Failed\n")});
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(fake.closed, std::vector<KOVR_HANDLE>{fake.dhcpCalls[0].session});
    }

    void applyWipesThePasswordInItsField()
    {
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = DeviceRecord(1);
        Dialog d(fake, record);
        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        // Shares the field's own buffer, as every copy of its text does.
        const QString typed = d.Password()->text();
        QVERIFY(d.Apply());
        QCOMPARE(fake.dhcpCalls[0].password, std::string("secret"));
        QCOMPARE(d.Password()->text(), QString());
        QCOMPARE(typed, QString(6, QChar(0)));
    }

    void cancellingSendsNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
        QTest::newRow("Enter on Cancel") << "enter";
    }

    void cancellingSendsNothing()
    {
        QFETCH(QString, how);
        FakeLibrary fake;
        const KOVRDeviceInfoRecord record = DeviceRecord(0);
        Dialog d(fake, record);
        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        if (how == "button") {
            d.Button(ControlId::Cancel)->click();
        } else if (how == "escape") {
            QTest::keyClick(d.Password(), Qt::Key_Escape);
        } else if (how == "close") {
            d.dialog.close();
        } else {
            d.Button(ControlId::Cancel)->setFocus();
            QTest::keyClick(d.Button(ControlId::Cancel), Qt::Key_Return);
        }
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(fake.CommandCount(), 0);
        QCOMPARE(fake.opens, 0);
    }
};

KOVR_GUI_TEST(IpSettingsDialogTest)
#include "ip_settings_dialog_test.moc"
