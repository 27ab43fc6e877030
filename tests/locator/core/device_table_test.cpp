// The main window's list without a window: message rows, reply order, sort
// and selection, conflict marks, copied lines, CSV, and device text that
// can't be trusted.
#include "locator/core/conflict_notes.h"
#include "locator/core/device_table.h"
#include "locator/core/texts.h"
#include "tests/locator/core/fake_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace kovr::locator;
using kovr::test::Address;
using kovr::test::FakeLibrary;
using kovr::test::kLabSubnets;
using kovr::test::MakeRecord;

namespace {

// In reply order: 10.77.1.9 "bravo", 10.77.1.10 "Charlie", 9.1.1.1 "alpha".
std::vector<KOVRDeviceInfoRecord> ThreeDevices()
{
    return {MakeRecord({2, 0, 0, 0, 0, 3}, "10.77.1.9", "bravo"),
            MakeRecord({2, 0, 0, 0, 0, 2}, "10.77.1.10", "Charlie"),
            MakeRecord({2, 0, 0, 0, 0, 1}, "9.1.1.1", "alpha")};
}

std::vector<std::string> Column(const DeviceTable &table, size_t column)
{
    std::vector<std::string> cells;
    for (size_t i = 0; i < table.RowCount(); ++i) {
        cells.push_back(table.CellText(i, column));
    }
    return cells;
}

} // namespace

TEST(DeviceTable, MessageRowsAreRowsOfTheirOwnKind)
{
    FakeLibrary fake;
    DeviceTable table(fake.Seam());
    table.ShowSearching();
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.KindAt(0), RowKind::Message);
    EXPECT_EQ(table.MessageAt(0), TextId::Searching);
    EXPECT_EQ(table.DeviceAt(0), nullptr);

    table.ShowResults({}, kLabSubnets);
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.MessageAt(0), TextId::NoDevicesFound);
    EXPECT_EQ(table.SelectedDevice(), nullptr);
    EXPECT_TRUE(table.SelectedDeviceRows().empty());

    // A device named as the message is a device all the same.
    KOVRDeviceInfoRecord named = MakeRecord({2, 0, 0, 0, 0, 1}, "10.77.1.5");
    std::strcpy(named.deviceName, "Searching...");
    table.ShowSearching();
    table.ShowResults({named}, kLabSubnets);
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.KindAt(0), RowKind::Device);
    EXPECT_EQ(table.SelectedDevice(), table.DeviceAt(0));
}

TEST(DeviceTable, ListsInReplyOrderEachRowOwningACopy)
{
    FakeLibrary fake;
    {
        DeviceTable table(fake.Seam());
        table.ShowSearching();
        table.ShowResults(ThreeDevices(), kLabSubnets);
        EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"10.77.1.9", "10.77.1.10", "9.1.1.1"}));
        EXPECT_EQ(table.SelectedDeviceRows(), std::vector<size_t>{0});
        EXPECT_EQ(fake.LiveCopies(), 3);
        table.ShowSearching();
        EXPECT_EQ(fake.LiveCopies(), 0);
        table.ShowResults(ThreeDevices(), kLabSubnets);
    }
    EXPECT_EQ(fake.LiveCopies(), 0);
}

TEST(DeviceTable, SortsByAColumnReversesOnTheSecondAndKeepsTheSelection)
{
    struct Case {
        const char *name;
        size_t column;
        std::vector<std::string> ascending; // addresses
    };
    const Case cases[] = {
        {"IP address, as numbers", 0, {"9.1.1.1", "10.77.1.9", "10.77.1.10"}},
        {"MAC address", 1, {"9.1.1.1", "10.77.1.10", "10.77.1.9"}},
        {"name, whatever the case", 2, {"9.1.1.1", "10.77.1.9", "10.77.1.10"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        DeviceTable table(fake.Seam());
        table.ShowSearching();
        table.ShowResults(ThreeDevices(), kLabSubnets);
        table.SetSelection({1}); // 10.77.1.10
        table.SortBy(c.column);
        EXPECT_EQ(Column(table, 0), c.ascending);
        EXPECT_FALSE(table.Descending());
        table.SortBy(c.column);
        const std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
        EXPECT_EQ(Column(table, 0), descending);
        EXPECT_TRUE(table.Descending());
        ASSERT_EQ(table.SelectedDeviceRows().size(), 1u);
        EXPECT_EQ(table.CellText(table.SelectedDeviceRows()[0], 0), "10.77.1.10");
        EXPECT_EQ(table.SelectedDevice(), table.DeviceAt(table.SelectedDeviceRows()[0]));

        // The next search is listed in the chosen order, its first row selected.
        table.ShowSearching();
        table.ShowResults(ThreeDevices(), kLabSubnets);
        EXPECT_EQ(Column(table, 0), descending);
        EXPECT_EQ(table.SelectedDeviceRows(), std::vector<size_t>{0});
    }
}

TEST(DeviceTable, MarksSharedAddressesUnreachableDevicesAndConflictingReplies)
{
    FakeLibrary fake;
    DeviceTable table(fake.Seam());
    table.ShowSearching();
    table.ShowResults({MakeRecord({2, 0, 0, 0, 0, 1}, "10.77.1.10"), MakeRecord({2, 0, 0, 0, 0, 2}, "10.77.1.10"),
                       MakeRecord({2, 0, 0, 0, 0, 3}, "192.168.5.5"), MakeRecord({2, 0, 0, 0, 0, 4}, "10.77.1.20"),
                       MakeRecord({2, 0, 0, 0, 0, 5}, "10.77.1.21")},
                      kLabSubnets, {{2, 0, 0, 0, 0, 5}});
    const std::string shared = ConflictNote(table.ProblemsAt(0), "ADVICE");
    EXPECT_NE(shared.find("10.77.1.10 is used by 02:00:00:00:00:01, 02:00:00:00:00:02"), std::string::npos) << shared;
    EXPECT_EQ(shared.substr(shared.size() - 7), "\nADVICE");
    EXPECT_EQ(table.ProblemsAt(1), table.ProblemsAt(0));
    EXPECT_NE(ConflictNote(table.ProblemsAt(2), "").find("move it into 10.77.1.0/24"), std::string::npos);
    EXPECT_TRUE(table.ProblemsAt(3).empty());
    EXPECT_EQ(ConflictNote(table.ProblemsAt(3), "ADVICE"), "");
    // Another address mends nothing here; the sentence says what to do.
    ASSERT_EQ(table.ProblemsAt(4).size(), 1u);
    EXPECT_EQ(table.ProblemsAt(4)[0].kind, kovr::common::ProblemKind::ConflictingChallenge);
    EXPECT_EQ(ConflictNote(table.ProblemsAt(4), "ADVICE").rfind("Replies for this device disagree", 0), 0u);
    EXPECT_EQ(ConflictNote(table.ProblemsAt(4), "ADVICE").find("ADVICE"), std::string::npos);
}

TEST(DeviceTable, CopiesAndSavesTheRowsInListOrder)
{
    FakeLibrary fake;
    DeviceTable table(fake.Seam());
    table.ShowSearching();
    table.ShowResults(ThreeDevices(), kLabSubnets);
    table.SortBy(0);
    table.SetSelection({0, 2});
    EXPECT_EQ(table.CopyLines(table.SelectedDeviceRows()),
              "9.1.1.1\t02:00:00:00:00:01\talpha\t7100-NT\n10.77.1.10\t02:00:00:00:00:02\tCharlie\t7100-NT");
    const std::string csv = table.Csv();
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "ip,mac,name,product,dhcp,interface,mask,gateway");
    EXPECT_EQ(csv.find("9.1.1.1,"), csv.find('\n') + 1) << csv;
}

// Devices name themselves: whatever bytes they send reach the faces as
// UTF-8 without control characters.
TEST(DeviceTable, DeviceTextReachesTheFacesAsSafeText)
{
    struct Case {
        const char *name;
        std::string sent;
        std::string shown;
    };
    const Case cases[] = {
        {"valid UTF-8 stays", "K\xC3\xA4mera", "K\xC3\xA4mera"},
        {"invalid bytes become U+FFFD",
         "a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"an overlong form is invalid", "\xF0\x80\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"control characters are escaped", "tab\there\nline", "tab\\x09here\\x0aline"},
        {"the name ends at its NUL", std::string("cam\0hidden", 10), "cam"},
        {"255 characters, all shown", std::string(255, 'n'), std::string(255, 'n')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        KOVRDeviceInfoRecord record = MakeRecord({2, 0, 0, 0, 0, 1}, "10.77.1.5");
        std::memset(record.deviceName, 0, sizeof record.deviceName);
        std::memcpy(record.deviceName, c.sent.data(), std::min(c.sent.size(), sizeof record.deviceName));
        DeviceTable table(fake.Seam());
        table.ShowResults({record}, kLabSubnets);
        EXPECT_EQ(table.CellText(0, 2), c.shown);
        EXPECT_EQ(table.CopyLine(0), "10.77.1.5\t02:00:00:00:00:01\t" + c.shown + "\t7100-NT");
    }
}

TEST(Texts, EveryIdHasItsTextAndFillTakesOnePass)
{
    for (int id = 0; id <= static_cast<int>(TextId::RangeTooFewAddresses); ++id) {
        const auto text = static_cast<TextId>(id);
        EXPECT_TRUE(EnglishText(text) && *EnglishText(text)) << id;
        // A missing entry would read as the first one's.
        EXPECT_TRUE(id == 0 || std::string(EnglishText(text)) != "%1") << id;
    }
    EXPECT_EQ(English({TextId::RebootMacLine, {"02:00:00:00:00:01"}}), "MAC Address:    02:00:00:00:00:01");
    EXPECT_EQ(Fill("%1 and %2", {"%2", "x"}), "%2 and x");
    EXPECT_EQ(English({TextId::StatusTimedOut}), "Status: Timed out");
}
