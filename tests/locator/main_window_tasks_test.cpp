// The main window's task buttons: what they do with the selected row, and
// how the window lets go of its session and records when it closes.
#include "locator/core/record_text.h"
#include "locator/device_info_dialog.h"
#include "locator/ip_settings_dialog.h"
#include "locator/reboot_dialog.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/locator_window.h"
#include "tests/locator/message_capture.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac1 = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
const FakeLibrary::Mac kMac2 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> urls;

public slots:
    void Open(const QUrl &url) { urls << url; }
};

QPushButton *Button(const LocatorDialog &window, int id)
{
    return window.ControlAs<QPushButton>(id);
}

// Which modal dialog a click (or Enter on the list, for no button) opened,
// and the text where it shows the device's MAC address; it is closed at once.
struct OpenedDialog {
    QString type;
    QString shown;
};

OpenedDialog ClickAndCloseDialog(LocatorDialog &window, int button)
{
    OpenedDialog opened;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *ip = qobject_cast<IpSettingsDialog *>(modal)) {
            opened = {QStringLiteral("ip"), ip->ControlAs<QLabel>(ControlId::MacText)->text()};
        } else if (auto *reboot = qobject_cast<RebootDialog *>(modal)) {
            opened = {QStringLiteral("reboot"), reboot->ControlAs<QLabel>(ControlId::MacLine)->text()};
        } else if (auto *info = qobject_cast<DeviceInfoDialog *>(modal)) {
            opened = {QStringLiteral("info"), info->ControlAs<QLabel>(ControlId::Details)->text()};
        }
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        }
    });
    if (button < 0) {
        window.List()->setFocus();
        QTest::keyClick(window.List(), Qt::Key_Return);
    } else {
        Button(window, button)->click();
    }
    return opened;
}

} // namespace

class MainWindowTasksTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void deviceTasksNeedASelectedDevice_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("devicesFound");
        QTest::addColumn<bool>("selectMessageRow");
        // The rule is the model's; here, the list's selection reaching it.
        const int id = ControlId::ConfigureIpSettings;
        QTest::newRow("no devices") << id << false << false;
        QTest::newRow("message row selected") << id << false << true;
        QTest::newRow("nothing selected") << id << true << false;
    }

    void deviceTasksNeedASelectedDevice()
    {
        QFETCH(int, button);
        QFETCH(bool, devicesFound);
        QFETCH(bool, selectMessageRow);
        FakeLibrary fake;
        if (devicesFound) {
            fake.devices = {MakeRecord(kMac1, "10.77.1.10")};
        }
        auto window = OpenWindow(fake);
        QVERIFY(window);
        if (selectMessageRow) {
            window->List()->topLevelItem(0)->setSelected(true);
        } else {
            window->List()->clearSelection();
        }

        MessageCapture messages;
        UrlCatcher urls;
        const OpenedDialog opened = ClickAndCloseDialog(*window, button);
        QCOMPARE(MessageCapture::Texts(), std::vector<QString>{QStringLiteral("No device is selected.\n")});
        QVERIFY(opened.type.isEmpty());
        QVERIFY(urls.urls.isEmpty());
        QCOMPARE(fake.CommandCount(), 0);
    }

    void deviceButtonsOpenTheirDialogOnTheSelectedDevice_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("type");
        QTest::newRow("configure") << int(ControlId::ConfigureIpSettings) << "ip";
        QTest::newRow("reboot") << int(ControlId::RebootDevice) << "reboot";
        QTest::newRow("info") << int(ControlId::DeviceInfo) << "info";
        QTest::newRow("Enter on the list") << -1 << "info";
    }

    void deviceButtonsOpenTheirDialogOnTheSelectedDevice()
    {
        QFETCH(int, button);
        QFETCH(QString, type);
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac1, "10.77.1.10"), MakeRecord(kMac2, "10.77.1.20")};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        window->List()->setCurrentItem(window->List()->topLevelItem(1));

        const OpenedDialog opened = ClickAndCloseDialog(*window, button);
        QCOMPARE(opened.type, type);
        QVERIFY(opened.shown.contains(QString::fromStdString(FormatMacAddress(window->DeviceAt(1)->macAddress))));
        QVERIFY(window->isVisible());
        // The list is not refreshed after a dialog.
        QCOMPARE(fake.searches, 1);
        QCOMPARE(fake.LiveCopies(), 2);
    }

    void hiddenOpenWebInterfaceOpensTheDevicePage()
    {
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac1, "192.168.1.20")};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QPushButton *button = Button(*window, ControlId::OpenWebInterface);
        QVERIFY(!button->isVisible());
        UrlCatcher urls;
        button->click();
        QCOMPARE(urls.urls, QList<QUrl>{QUrl(QStringLiteral("http://192.168.1.20"))});
    }

    void closingStopsClosesTheSessionOnceAndReleasesEveryCopy_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    void closingStopsClosesTheSessionOnceAndReleasesEveryCopy()
    {
        QFETCH(QString, how);
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac1, "10.77.1.10"), MakeRecord(kMac2, "10.77.1.20")};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QCOMPARE(fake.opens, 1);
        const int stops = fake.stopSearches;

        if (how == "button") {
            Button(*window, ControlId::Cancel)->click();
        } else if (how == "escape") {
            QTest::keyClick(window.get(), Qt::Key_Escape);
        } else {
            window->close();
        }

        QVERIFY(!window->isVisible());
        QCOMPARE(fake.closed.size(), size_t(1));
        QVERIFY(fake.closed[0] != nullptr);
        QCOMPARE(fake.stopSearches, stops + 1);
        QCOMPARE(fake.LiveCopies(), 0);
        window.reset();
        QCOMPARE(fake.closed.size(), size_t(1));
        QCOMPARE(fake.copies, 2);
        QCOMPARE(fake.releases, 2);
    }

    void showsItsIconAndTakesTheFocusOnTheFirstVisibleButton()
    {
        FakeLibrary fake;
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvel-Arden 7100-NT Locator"));
        QCOMPARE(window->focusWidget(), Button(*window, ControlId::ConfigureIpSettings));
        window->reject();
    }
};

KOVR_GUI_TEST(MainWindowTasksTest)
#include "main_window_tasks_test.moc"
