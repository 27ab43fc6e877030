// The main window's conveniences: sorting by a column, the clipboard, the
// context menu and F5.
#include "locator/core/record_text.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/locator_window.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac1 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const FakeLibrary::Mac kMac2 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
const FakeLibrary::Mac kMac3 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x03};

// In reply order; the names sort differently from the addresses, and the
// addresses sort differently as numbers than as text.
std::vector<KOVRDeviceInfoRecord> ThreeDevices()
{
    return {MakeRecord(kMac3, "10.77.1.9", "bravo", "7100-NT"), MakeRecord(kMac1, "10.77.1.10", "Charlie", "7100-NT"),
            MakeRecord(kMac2, "9.1.1.1", "alpha", "7100-NT")};
}

void ClickHeader(QTreeWidget *list, int column)
{
    QHeaderView *header = list->header();
    const QPoint point(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, point);
}

// Opens the context menu on a row, or from the keyboard for row -1 (where Qt
// puts no row's point), and hands it to `use` before it closes.
void UseContextMenu(LocatorDialog &window, int row, const std::function<void(QMenu &)> &use)
{
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            use(*menu);
            menu->close();
        }
    });
    QTreeWidget *list = window.List();
    if (row < 0) {
        QContextMenuEvent keys(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(list, &keys);
        return;
    }
    const QPoint point = list->visualItemRect(list->topLevelItem(row)).center();
    emit list->customContextMenuRequested(point);
}

} // namespace

class MainWindowConveniencesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // The order and the selection are the core's; the window draws them.
    void aHeaderClickSortsTheRowsAndKeepsTheSelection()
    {
        FakeLibrary fake;
        fake.devices = ThreeDevices();
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QTreeWidget *list = window->List();
        list->setCurrentItem(list->topLevelItem(1)); // Charlie
        ClickHeader(list, 2);
        QCOMPARE(RowTexts(list, 2), (QStringList{"alpha", "bravo", "Charlie"}));
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(2)});
        QCOMPARE(list->currentItem(), list->topLevelItem(2));
        QCOMPARE(window->GetSelectedDevice(), window->DeviceAt(2));
        QCOMPARE(list->header()->sortIndicatorSection(), 2);
        window->reject();
    }

    void copiesTheSelectedDevice()
    {
        FakeLibrary fake;
        fake.devices = ThreeDevices();
        auto window = OpenWindow(fake);
        QVERIFY(window);
        window->List()->setCurrentItem(window->List()->topLevelItem(1));
        QApplication::clipboard()->clear();

        QTest::keyClick(window->List(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10.77.1.10\t02:00:00:00:00:01\tCharlie\t7100-NT"));

        const QStringList entries = {"Copy IP Address",
                                     "Copy MAC Address",
                                     "Copy Row",
                                     "",
                                     "Open Web Page",
                                     "",
                                     "Configure IP Settings",
                                     "Device Info",
                                     "Reboot Device",
                                     "Forget Pin",
                                     "",
                                     "Configure Selected Devices...",
                                     "Apply Plan...",
                                     "",
                                     "Save List As..."};
        const QStringList copied = {"9.1.1.1", "02:00:00:00:00:02", "9.1.1.1\t02:00:00:00:00:02\talpha\t7100-NT"};
        for (int i = 0; i < copied.size(); ++i) {
            QStringList texts;
            UseContextMenu(*window, 2, [&](QMenu &menu) {
                for (QAction *action : menu.actions()) {
                    texts << action->text();
                }
                menu.actions()[i]->trigger();
            });
            QCOMPARE(texts, entries);
            QCOMPARE(QApplication::clipboard()->text(), copied[i]);
        }
        // The menu's row became the selected one.
        QCOMPARE(window->GetSelectedDevice(), window->DeviceAt(2));
        // From the keyboard it acts on the selected row and moves nothing.
        window->List()->setCurrentItem(window->List()->topLevelItem(1));
        UseContextMenu(*window, -1, [](QMenu &menu) { menu.actions()[2]->trigger(); });
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10.77.1.10\t02:00:00:00:00:01\tCharlie\t7100-NT"));
        QCOMPARE(window->GetSelectedDevice(), window->DeviceAt(1));
    }

    // Forget Pin from a row's menu forgets its pin.
    void forgetPinForgetsThePinOfTheRow()
    {
        FakeLibrary fake;
        fake.devices = ThreeDevices();
        auto window = OpenWindow(fake);
        QVERIFY(window);
        DevicePins &pins = *window->Pins();
        const std::unique_ptr<kovr::common::KnownDevices> known = pins.Read();
        known->Learn(kMac2);
        pins.Save(*known);
        // Which rows offer it is the model's rule; here, the pick reaching it.
        for (const int row : {2}) {
            bool offered = false;
            UseContextMenu(*window, row, [&](QMenu &menu) {
                for (QAction *action : menu.actions()) {
                    if (action->text() == QStringLiteral("Forget Pin") && action->isEnabled()) {
                        offered = true;
                        action->trigger();
                    }
                }
            });
            QCOMPARE(offered, row == 2);
        }
        QVERIFY(!pins.IsPinned(kMac2));
        window->reject();
    }

    void f5Refreshes()
    {
        FakeLibrary fake;
        auto window = OpenWindow(fake);
        QVERIFY(window);
        fake.devices = ThreeDevices();
        QTest::keyClick(window->List(), Qt::Key_F5);
        QCOMPARE(RowTexts(window->List()), QStringList{QStringLiteral("Searching...")});
        QTRY_COMPARE(window->List()->topLevelItemCount(), 3);
        QCOMPARE(fake.searches, 2);
    }
};

KOVR_GUI_TEST(MainWindowConveniencesTest)
#include "main_window_conveniences_test.moc"
