// The main window's search flow: what the list shows before, during and after
// a search, and who owns the record copies behind the rows.
#include "locator/core/workers.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/locator_window.h"
#include "tests/locator/message_capture.h"
#include "tests/locator/paint_counter.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

const FakeLibrary::Mac kMac1 = {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
const FakeLibrary::Mac kMac2 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
const FakeLibrary::Mac kMac3 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x03};

} // namespace

class MainWindowSearchTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void paintsAndDropsInputWhileTheSearchRuns()
    {
        FakeLibrary fake;
        Gate gate;
        fake.onSearch = [&] { gate.Pass(); };
        MessageCapture messages;
        LocatorDialog window(fake.Seam());
        PaintCounter counter(window.List()->viewport());
        window.show();
        QTRY_VERIFY(gate.Reached());

        QCOMPARE(RowTexts(window.List()), QStringList{QStringLiteral("Searching...")});
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QTRY_VERIFY(counter.paints > 0);
        counter.paints = 0;
        window.List()->viewport()->update();
        QTRY_VERIFY(counter.paints > 0);
        // Clicks and keys don't land: with no device selected, this button
        // would tell the user so.
        QTest::mouseClick(window.ControlAs<QPushButton>(ControlId::ConfigureIpSettings), Qt::LeftButton);
        QTest::keyClick(window.List(), Qt::Key_F5);
        QVERIFY(MessageCapture::Texts().empty());

        gate.Open();
        QTRY_COMPARE(RowTexts(window.List()), QStringList{QStringLiteral("No devices found.")});
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(fake.searches, 1);
        // Now they do.
        QTest::mouseClick(window.ControlAs<QPushButton>(ControlId::ConfigureIpSettings), Qt::LeftButton);
        QCOMPARE(MessageCapture::Texts().size(), size_t(1));
    }

    void closingDuringTheSearchLeavesNoSessionOpen()
    {
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac1, "10.77.1.10")};
        Gate gate;
        fake.onSearch = [&] { gate.Pass(); };
        auto window = std::make_unique<LocatorDialog>(fake.Seam());
        window->show();
        QTRY_VERIFY(gate.Reached());

        QVERIFY(!fake.searchWakeup->Cancelled());
        window->reject();
        QVERIFY(!window->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        // Closed at once, which ends the library's search, not when it
        // returns; the later requests end at their next wake.
        QCOMPARE(fake.closed.size(), size_t(1));
        QVERIFY(fake.searchWakeup->Cancelled());
        window.reset();
        gate.Open();
        ApplicationWorkers().JoinAll();
        QCOMPARE(fake.opens, 1);
        QCOMPARE(fake.closed.size(), size_t(1));
        QVERIFY(!fake.IsOpen(fake.closed[0]));
        QCOMPARE(fake.copies, 0);
    }

    void listsDevicesInReplyOrderWithTheFirstSelected()
    {
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac3, "10.77.1.30", "third"), MakeRecord(kMac1, "10.77.1.10", "first"),
                        MakeRecord(kMac2, "10.77.1.20", "second")};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QTreeWidget *list = window->List();
        QCOMPARE(RowTexts(list), (QStringList{"10.77.1.30", "10.77.1.10", "10.77.1.20"}));
        QCOMPARE(RowTexts(list, 2), (QStringList{"third", "first", "second"}));
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(0)});
        QCOMPARE(list->currentItem(), list->topLevelItem(0));
        QCOMPARE(window->GetSelectedDevice(), window->DeviceAt(0));
        QCOMPARE(fake.copies, 3);
    }

    void showsNoDevicesFoundAndSelectsNothing()
    {
        FakeLibrary fake;
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QCOMPARE(RowTexts(window->List()), QStringList{QStringLiteral("No devices found.")});
        QVERIFY(window->List()->selectedItems().isEmpty());
        QCOMPARE(window->DeviceAt(0), nullptr);
        QCOMPARE(window->GetSelectedDevice(), nullptr);
    }

    void rendersEachColumnOfADeviceRow()
    {
        FakeLibrary fake;
        KOVRDeviceInfoRecord longName = MakeRecord(kMac2, "10.0.0.5", "", "7100-NT");
        std::fill(std::begin(longName.deviceName), std::end(longName.deviceName) - 1, 'n');
        fake.devices = {MakeRecord(kMac1, "192.168.1.20", "", "7100-NT"), longName};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        const QTreeWidgetItem *row = window->List()->topLevelItem(0);
        QCOMPARE(row->text(0), QStringLiteral("192.168.1.20"));
        QCOMPARE(row->text(1), QStringLiteral("02:1a:2b:3c:4d:5e"));
        QCOMPARE(row->text(2), QString());
        QCOMPARE(row->text(3), QStringLiteral("7100-NT"));
        QCOMPARE(window->List()->topLevelItem(1)->text(0), QStringLiteral("10.0.0.5"));
        QCOMPARE(window->List()->topLevelItem(1)->text(2), QString(255, QLatin1Char('n')));
    }

    void hasTheFourColumnsAtTheirPixelWidths()
    {
        FakeLibrary fake;
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QTreeWidget *list = window->List();
        const QTreeWidgetItem *header = list->headerItem();
        QCOMPARE(list->columnCount(), 4);
        const QStringList titles = {"IP Address", "MAC Address", "Name", "Product"};
        const int widths[] = {110, 110, 110, 129};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(header->text(i), titles[i]);
            QCOMPARE(list->columnWidth(i), widths[i]);
        }
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void refreshReleasesEveryCopyBeforeTheNewSearch()
    {
        FakeLibrary fake;
        fake.devices = {MakeRecord(kMac1, "10.77.1.10"), MakeRecord(kMac2, "10.77.1.20"),
                        MakeRecord(kMac3, "10.77.1.30")};
        auto window = OpenWindow(fake);
        QVERIFY(window);
        int liveDuringSearch = -1;
        int stopsBeforeSearch = -1;
        fake.onSearch = [&] {
            liveDuringSearch = fake.LiveCopies();
            stopsBeforeSearch = fake.stopSearches;
        };
        const int stops = fake.stopSearches;
        window->RefreshList();
        QTRY_COMPARE(window->List()->topLevelItemCount(), 3);
        QCOMPARE(fake.searches, 2);
        QCOMPARE(liveDuringSearch, 0);
        QCOMPARE(stopsBeforeSearch, stops + 1);
        QCOMPARE(fake.copies, 6);
        QCOMPARE(fake.LiveCopies(), 3);
        window.reset();
        QCOMPARE(fake.LiveCopies(), 0);
    }

    void failedSessionEndsEverySearchWithNoDevicesFound()
    {
        FakeLibrary fake;
        fake.openFails = true;
        fake.devices = {MakeRecord(kMac1, "10.77.1.10")};
        MessageCapture messages;
        auto window = OpenWindow(fake);
        QVERIFY(window);
        QCOMPARE(RowTexts(window->List()), QStringList{QStringLiteral("No devices found.")});
        window->RefreshList();
        QTRY_COMPARE(RowTexts(window->List()), QStringList{QStringLiteral("No devices found.")});
        QCOMPARE(fake.searches, 2);
        window->reject();
        QCOMPARE(fake.closed, std::vector<KOVR_HANDLE>{nullptr});
        QVERIFY(MessageCapture::Texts().empty());
    }
};

KOVR_GUI_TEST(MainWindowSearchTest)
#include "main_window_search_test.moc"
