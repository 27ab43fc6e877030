// The reboot dialog's binding to its model (core/reboot_run.h): the model's
// state drawn, Reboot and the close forwarded, and what only Qt does: focus,
// keys, the busy cursor and the password field's wipe.
#include "locator/core/workers.h"
#include "locator/reboot_dialog.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/message_capture.h"
#include "tests/locator/paint_counter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};

// A pinned device that answers with its challenge: no query before the
// command, and every reply counts in the wait.
struct Dialog {
    explicit Dialog(FakeLibrary &fake)
        : record(MakeRecord(kMac, "10.77.1.10", "lab-1", "7100-NT")), dialog(fake.Seam(), record, pins.Pins())
    {
        fake.devices = {WithChallenge(record)};
        pins.Pin(kMac);
        dialog.SetPause([this](std::chrono::milliseconds pause) {
            pauses << static_cast<int>(pause.count());
            if (onPause) {
                onPause();
            }
        });
        dialog.show();
    }
    QString Text(int id) const { return dialog.ControlAs<QLabel>(id)->text(); }
    QLineEdit *Password() const { return dialog.ControlAs<QLineEdit>(ControlId::RebootPassword); }
    QPushButton *Button(int id) const { return dialog.ControlAs<QPushButton>(id); }
    // Presses Reboot and waits until the command, and the wait if any, ended.
    bool Reboot(const QString &password)
    {
        Password()->setText(password);
        return Press();
    }
    bool Press()
    {
        Button(ControlId::Reboot)->click();
        return QTest::qWaitFor([this] { return !dialog.IsBusy(); });
    }

    TempPins pins;
    KOVRDeviceInfoRecord record;
    QList<int> pauses;
    std::function<void()> onPause;
    RebootDialog dialog;
};

} // namespace

class RebootDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void opensWithProductAndMacLinesAndThePasswordFocused()
    {
        FakeLibrary fake;
        Dialog d(fake);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Reboot Device"));
        QCOMPARE(d.Text(ControlId::ProductLine), QStringLiteral("Product Name:\t7100-NT"));
        QCOMPARE(d.Text(ControlId::MacLine), QStringLiteral("MAC Address:    02:1a:2b:3c:4d:5e"));
        QCOMPARE(d.Text(ControlId::Status), QString());
        QCOMPARE(d.Password()->text(), QString());
        QCOMPARE(d.Password()->echoMode(), QLineEdit::Password);
        QCOMPARE(d.dialog.focusWidget(), d.Password());
        QCOMPARE(fake.opens, 0);
    }

    void aRefusedRebootShowsTheErrorAndKeepsStatusAndPassword()
    {
        FakeLibrary fake;
        fake.commandResult = 1;
        fake.errorNumber = 1;
        fake.errorMessage = "Authentication Failed";
        MessageCapture messages;
        Dialog d(fake);
        QVERIFY(d.Reboot(QStringLiteral("wrong")));
        QCOMPARE(MessageCapture::Texts(),
                 std::vector<QString>{QStringLiteral("An Error occured while rebooting the device.\nError Number: "
                                                     "1\nError Message: Authentication Failed\n")});
        QCOMPARE(fake.rebootCalls.size(), size_t(1));
        QCOMPARE(fake.rebootCalls[0].password, std::string("wrong"));
        QCOMPARE(d.Text(ControlId::Status), QString());
        QCOMPARE(d.Password()->text(), QStringLiteral("wrong"));
        QVERIFY(d.dialog.isVisible());
    }

    void paintsAndShowsRebootingWhileTheWaitRunsAndClosingEndsIt()
    {
        FakeLibrary fake;
        fake.deviceAnswers = [](int) { return false; };
        Dialog d(fake);
        Gate gate;
        d.onPause = [&] { gate.Pass(); };
        PaintCounter counter(d.dialog.Control(ControlId::Status));
        d.Password()->setText(QStringLiteral("secret"));
        d.Button(ControlId::Reboot)->click();
        QTRY_VERIFY(gate.Reached());

        QTRY_COMPARE(d.Text(ControlId::Status), QStringLiteral("Status: Rebooting"));
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QTRY_VERIFY(counter.paints > 0);
        // Input doesn't land while the dialog waits: Escape would close it.
        QTest::keyClick(d.Password(), Qt::Key_Escape);
        QVERIFY(d.dialog.isVisible());

        // The close reaches the model, which lets the wait end on its own.
        d.dialog.close();
        QVERIFY(!d.dialog.isVisible());
        QVERIFY(!QApplication::overrideCursor());
        gate.Open();
        ApplicationWorkers().JoinAll();
        QCOMPARE(fake.deviceInfoPolls, 1);
    }

    void closingWipesThePasswordKeptForAnotherPress()
    {
        FakeLibrary fake;
        Dialog d(fake);
        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        // Shares the field's own buffer, as every copy of its text does.
        const QString typed = d.Password()->text();
        QVERIFY(d.Press());
        QCOMPARE(d.Text(ControlId::Status), QStringLiteral("Status: Ready"));
        QCOMPARE(d.Password()->text(), QStringLiteral("secret"));
        d.dialog.reject();
        QCOMPARE(d.Password()->text(), QString());
        QCOMPARE(typed, QString(6, QChar(0)));
    }

    void enterInThePasswordClosesWithoutSending()
    {
        FakeLibrary fake;
        Dialog d(fake);
        QTest::keyClicks(d.Password(), QStringLiteral("secret"));
        QTest::keyClick(d.Password(), Qt::Key_Return);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(fake.CommandCount(), 0);
        QCOMPARE(fake.opens, 0);
    }

    void enterOnTheRebootButtonReboots()
    {
        FakeLibrary fake;
        Dialog d(fake);
        d.Password()->setText(QStringLiteral("secret"));
        d.Button(ControlId::Reboot)->setFocus();
        QTest::keyClick(d.Button(ControlId::Reboot), Qt::Key_Return);
        // The command runs on a worker; the dialog stays open for the wait.
        QTRY_COMPARE(fake.rebootCalls.size(), size_t(1));
        QVERIFY(d.dialog.isVisible());
        d.dialog.reject();
        ApplicationWorkers().JoinAll();
    }
};

KOVR_GUI_TEST(RebootDialogTest)
#include "reboot_dialog_test.moc"
