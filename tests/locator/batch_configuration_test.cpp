// Configuring several devices at once, as windows: the main window's
// selection and shortcut, and every control named for screen readers.
#include "locator/batch_dialog.h"
#include "locator/device_info_dialog.h"
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "locator/reboot_dialog.h"
#include "tests/locator/accessible_find.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/locator_window.h"
#include "tests/locator/message_capture.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

std::vector<size_t> Positions(std::initializer_list<size_t> positions)
{
    return positions;
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

    // One row selected is as it always was; several turn the single-device
    // tasks off and Configure Selected Devices on, and after its apply the
    // list is searched again.
    void severalRowsTurnTheBatchOn_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("shortcut"); // Ctrl+Shift+C, else Configure IP Settings
        QTest::newRow("one row") << QList<int>{1} << false;
        QTest::newRow("one row, Ctrl+Shift+C") << QList<int>{1} << true;
        QTest::newRow("Ctrl-click") << QList<int>{0, 2} << true;
        QTest::newRow("Shift-click") << QList<int>{0, 1, 2} << true;
    }

    void severalRowsTurnTheBatchOn()
    {
        QFETCH(QList<int>, rows);
        QFETCH(bool, shortcut);
        const bool several = rows.size() > 1;
        FakeLibrary fake;
        fake.devices = SubnetDevices(3);
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
            QCOMPARE(window->Control(id)->isEnabled(), !several);
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
        if (shortcut) {
            QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            window->ControlAs<QPushButton>(ControlId::ConfigureIpSettings)->click();
        }
        const bool batch = shortcut;
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
        fake.devices = SubnetDevices(2);
        auto main = OpenWindow(fake);
        QVERIFY(main);
        std::unique_ptr<QWidget> dialog;
        if (window == QLatin1String("ip")) {
            dialog = std::make_unique<IpSettingsDialog>(fake.Seam(), fake.devices[0], main->Pins(), main.get());
        } else if (window == QLatin1String("reboot")) {
            dialog = std::make_unique<RebootDialog>(fake.Seam(), fake.devices[0], main->Pins(), main.get());
        } else if (window == QLatin1String("info")) {
            dialog = std::make_unique<DeviceInfoDialog>(fake.devices[0], main.get());
        } else if (window == QLatin1String("batch")) {
            dialog = std::make_unique<BatchDialog>(fake.Seam(), BatchDialog::Devices{fake.devices, kLabSubnets},
                                                   Positions({0, 1}), main->Pins(), main.get());
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
