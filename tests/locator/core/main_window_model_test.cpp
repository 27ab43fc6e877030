// The main window's model: the search cycle, what each command asks of the
// face and tells the user on the selection it finds, and the row's menu.
#include "locator/core/main_window_model.h"
#include "locator/core/workers.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

// Records what the model asks of it, one word a call, and answers as told.
struct Face : MainWindowFace {
    void StartSearchLater() override { calls.push_back("search later"); }
    void Copy(const std::string &text) override { calls.push_back("copy " + text); }
    void OpenWebPage(const std::string &url) override { calls.push_back("open " + url); }
    std::optional<std::string> AskSavePath(TextId, TextId, const std::string &fileName) override
    {
        calls.push_back("save as " + fileName);
        return path;
    }
    bool WriteFile(const std::string &, const std::string &, std::string &error) override
    {
        error = "disk full";
        return writes;
    }
    std::optional<ChosenFile> AskOpenFile(TextId, TextId) override
    {
        calls.push_back("open file");
        return path ? std::optional<ChosenFile>({*path, "plan.csv"}) : std::nullopt;
    }
    void RunIpSettings(const KOVRDeviceInfoRecord &device) override { Run("ip settings", device); }
    void RunReboot(const KOVRDeviceInfoRecord &device) override { Run("reboot", device); }
    void RunDeviceInfo(const KOVRDeviceInfoRecord &device) override { Run("device info", device); }
    bool RunBatch(BatchDevices devices, std::vector<size_t> selected) override
    {
        calls.push_back("batch of " + std::to_string(selected.size()) + " in " + std::to_string(devices.list.size()));
        return applies;
    }
    bool RunPlan(BatchDevices, ListPlan, const std::string &) override { return applies; }
    void Run(const std::string &dialog, const KOVRDeviceInfoRecord &device)
    {
        calls.push_back(dialog + " " + std::to_string(device.macAddress[5]));
    }

    std::vector<std::string> calls;
    std::optional<std::string> path;
    bool writes = true;
    bool applies = false;
};

// A window over three devices, the second pinned, after its first search.
struct Window {
    Window()
    {
        fake.devices = {MakeRecord(MacOf(1), "10.77.1.10", "one"), MakeRecord(MacOf(2), "10.77.1.11", "two"),
                        MakeRecord(MacOf(3), "10.77.1.12", "three")};
        pins.Pin(MacOf(2));
        model.OnOpen();
        Search();
    }
    ~Window()
    {
        model.OnClose();
        ApplicationWorkers().JoinAll();
    }
    void Search()
    {
        model.OnStartSearch();
        EXPECT_TRUE(ui.RunUntil([this] { return !model.Current().searching; }));
    }
    void Select(const std::vector<size_t> &rows)
    {
        model.Table().SetSelection(rows);
        model.OnSelectionChanged();
    }

    FakeLibrary fake;
    TempPins pins;
    TestUi ui;
    Face face;
    std::vector<MainWindowModel::State> told;
    MainWindowModel model{
        fake.Seam(), pins.Pins(), [] { return std::vector<kovr::common::LocalSubnet>{}; },
        ui.Post(),   face,        [this](const MainWindowModel::State &state) { told.push_back(state); }};
};

std::vector<std::string> Texts(const std::vector<Message> &messages)
{
    std::vector<std::string> texts;
    for (const Message &message : messages) {
        texts.push_back(English(message));
    }
    return texts;
}

} // namespace

// The first search: "Searching..." drawn, then the search with the window
// busy, then the rows; a refresh meanwhile does nothing; closing drops what
// the search finds and closes the session once.
TEST(MainWindowModel, SearchesOnceAtATimeAndClosesItsSessionOnEveryPath)
{
    for (const bool closeDuringTheSearch : {false, true}) {
        SCOPED_TRACE(closeDuringTheSearch ? "closed during the search" : "searched");
        FakeLibrary fake;
        fake.devices = {MakeRecord(MacOf(1), "10.77.1.10")};
        Gate gate;
        fake.onSearch = [&] { gate.Pass(); };
        TempPins pins;
        TestUi ui;
        Face face;
        std::vector<std::string> told;
        std::optional<MainWindowModel> model;
        model.emplace(
            fake.Seam(), pins.Pins(), [] { return std::vector<kovr::common::LocalSubnet>{}; }, ui.Post(), face,
            [&](const MainWindowModel::State &state) {
                told.push_back(std::string(state.searching ? "busy" : "idle") + (state.rowsChanged ? ", rows" : "") +
                               ", " + std::to_string(model->Table().RowCount()));
            });
        model->OnOpen();
        EXPECT_EQ(model->Table().MessageAt(0), TextId::Searching);
        model->OnStartSearch();
        ASSERT_TRUE(ui.RunUntil([&] { return gate.Reached(); }));
        model->OnRefresh();
        model->OnStartSearch();
        if (closeDuringTheSearch) {
            model->OnClose();
        }
        gate.Open();
        ApplicationWorkers().JoinAll();
        ui.RunUntil([] { return false; }, std::chrono::seconds(0));
        const std::vector<std::string> searched = {"idle, rows, 1", "busy, 1", "idle, rows, 1"};
        const std::vector<std::string> closed = {"idle, rows, 1", "busy, 1", "idle, rows, 0"};
        EXPECT_EQ(told, closeDuringTheSearch ? closed : searched);
        EXPECT_EQ(face.calls, std::vector<std::string>{"search later"});
        EXPECT_EQ(fake.searches, 1);
        model.reset();
        EXPECT_EQ(fake.opens, 1);
        EXPECT_EQ(fake.closed.size(), 1u);
    }
}

// Each command on the selection it finds: what the face is asked, what the
// user is told, and the tasks' flags. Several rows do nothing for a
// single-device task; none says so.
TEST(MainWindowModel, RunsEachCommandOnTheSelection)
{
    enum Setup { Plain, NoPath, Unwritable, Applies };
    struct Case {
        const char *name;
        std::vector<size_t> selected;
        Setup setup;
        MainCommand command;
        std::vector<std::string> calls;
        std::vector<std::string> notices;
        std::string on; // S: the single-device tasks, B: the batch
    };
    const std::string none = "No device is selected.\n";
    const std::string later = "search later";
    const std::string copied =
        "copy 10.77.1.10\t02:00:00:00:00:01\tone\t7100-NT\n10.77.1.12\t02:00:00:00:00:03\tthree\t7100-NT";
    const std::string unwritable = "The list could not be saved to out.csv:\ndisk full\n";
    using C = MainCommand;
    const Case cases[] = {
        {"web page", {1}, Plain, C::OpenWebPage, {"open http://10.77.1.11"}, {}, "SB"},
        {"web page, no row", {}, Plain, C::OpenWebPage, {}, {none}, "S"},
        {"web page, two rows", {0, 2}, Plain, C::OpenWebPage, {}, {}, "B"},
        {"IP settings", {0}, Plain, C::ConfigureIpSettings, {"ip settings 1"}, {}, "SB"},
        {"IP settings, no row", {}, Plain, C::ConfigureIpSettings, {}, {none}, "S"},
        {"reboot", {2}, Plain, C::RebootDevice, {"reboot 3"}, {}, "SB"},
        {"reboot, two rows", {1, 2}, Plain, C::RebootDevice, {}, {}, "B"},
        {"device info", {1}, Plain, C::DeviceInfo, {"device info 2"}, {}, "SB"},
        {"device info, no row", {}, Plain, C::DeviceInfo, {}, {none}, "S"},
        {"forget pin, no row", {}, Plain, C::ForgetPin, {}, {none}, "S"},
        {"configure selected", {0, 2}, Plain, C::ConfigureSelectedDevices, {"batch of 2 in 3"}, {}, "B"},
        {"configure selected, applied", {0}, Applies, C::ConfigureSelectedDevices, {"batch of 1 in 3", later}, {}, "S"},
        {"configure selected, no row", {}, Plain, C::ConfigureSelectedDevices, {}, {}, "S"},
        {"copy rows", {0, 2}, Plain, C::CopySelectedRows, {copied}, {}, "B"},
        {"copy rows, no row", {}, Plain, C::CopySelectedRows, {}, {}, "S"},
        {"save list as", {}, Plain, C::SaveListAs, {"save as devices.csv"}, {}, "S"},
        {"save list as, cancelled", {}, NoPath, C::SaveListAs, {"save as devices.csv"}, {}, "S"},
        {"save list as, unwritable", {}, Unwritable, C::SaveListAs, {"save as devices.csv"}, {unwritable}, "S"},
        {"apply plan, cancelled", {}, NoPath, C::ApplyPlan, {"open file"}, {}, "S"},
        {"apply plan, no such file", {}, Plain, C::ApplyPlan, {"open file"}, {"The plan out.csv can't be used"}, "S"},
        {"refresh", {0}, Plain, C::Refresh, {later}, {}, "S"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Window window;
        window.face.path = c.setup == NoPath ? std::nullopt : std::optional<std::string>("out.csv");
        window.face.writes = c.setup != Unwritable;
        window.face.applies = c.setup == Applies;
        window.Select(c.selected);
        window.face.calls.clear();
        window.told.clear();
        window.model.OnCommand(c.command);
        EXPECT_EQ(window.face.calls, c.calls);
        std::vector<std::string> notices;
        for (const MainWindowModel::State &state : window.told) {
            for (const std::string &text : Texts(state.notices)) {
                notices.push_back(text.substr(0, c.notices.empty() ? 0 : c.notices[0].size()));
            }
        }
        EXPECT_EQ(notices, c.notices);
        const MainWindowModel::State &state = window.model.Current();
        EXPECT_EQ(std::string(state.singleDeviceTasks ? "S" : "") + (state.configureSelected ? "B" : ""), c.on);
    }
}

// The menu of a row: its entries in order, the single-device ones off
// while several rows stay selected, Forget Pin for a pinned device alone;
// none below the rows. Its copies take the row's named cells.
TEST(MainWindowModel, OffersARowsMenuAndCopiesItsCells)
{
    struct Case {
        const char *name;
        std::vector<size_t> selected;
        size_t row;
        bool selectRow;
        std::string enabled; // of the entries, separators as |
    };
    const Case cases[] = {
        {"an unselected row", {0, 2}, 1, true, "111|1|1111|11|1"},
        {"the pinned row, selected", {1}, 1, false, "111|1|1111|11|1"},
        {"an unpinned row", {}, 0, true, "111|1|1110|11|1"},
        {"one of several selected", {0, 1}, 1, false, "111|0|0000|11|1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Window window;
        window.Select(c.selected);
        const std::optional<ContextMenu> menu = window.model.OnMenuRequested(c.row);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->row, c.row);
        EXPECT_EQ(menu->selectRow, c.selectRow);
        std::string enabled;
        std::string texts;
        for (const MenuEntry &entry : menu->entries) {
            enabled += entry.command == MainCommand::Separator ? '|' : entry.enabled ? '1' : '0';
            if (entry.command != MainCommand::Separator) {
                texts += EnglishText(entry.text) + (entry.shortcut ? " " + English(*entry.shortcut) : "") + ",";
            }
        }
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(texts, "Copy IP Address,Copy MAC Address,Copy Row,Open Web Page,Configure IP Settings,Device "
                         "Info,Reboot Device,Forget Pin,Configure Selected Devices... Ctrl+Shift+C,Apply Plan... "
                         "Ctrl+O,Save List As...,");
    }
    Window window;
    EXPECT_FALSE(window.model.OnMenuRequested(3));
    for (const MainCommand copy : {MainCommand::CopyIpAddress, MainCommand::CopyMacAddress, MainCommand::CopyRow}) {
        window.model.OnMenuCommand(copy, 1);
    }
    window.Select({1});
    window.model.OnMenuCommand(MainCommand::ForgetPin, 1);
    EXPECT_EQ(window.face.calls, (std::vector<std::string>{"search later", "copy 10.77.1.11", "copy 02:00:00:00:00:02",
                                                           "copy 10.77.1.11\t02:00:00:00:00:02\ttwo\t7100-NT"}));
    EXPECT_FALSE(window.pins.IsPinned(MacOf(2)));
}

// From the keyboard the menu takes the selection as it is, on the focused
// row where it can; Enter or a double-click on one device row shows its
// Device Info, and on anything else does nothing. Row 3 is past the rows.
TEST(MainWindowModel, TheKeyboardMenuAndEnterActOnTheSelectionUnmoved)
{
    struct Case {
        const char *name;
        std::vector<size_t> selected;
        std::optional<size_t> focused;
        std::optional<size_t> menuRow; // none: no menu
        std::vector<std::string> activated;
    };
    const Case cases[] = {
        {"one row, focused", {1}, 1, 1, {"device info 2"}},
        {"one row, focus elsewhere", {1}, 2, 1, {"device info 3"}},
        {"one row, no focus", {2}, std::nullopt, 2, {}},
        {"several, focus on one", {0, 2}, 2, 2, {}},
        {"several, focus off them", {0, 2}, 1, 0, {}},
        {"none", {}, 1, std::nullopt, {"device info 2"}},
        {"focus past the rows", {1}, 3, 1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Window window;
        window.Select(c.selected);
        const std::optional<ContextMenu> menu = window.model.OnKeyboardMenuRequested(c.focused);
        EXPECT_EQ(menu ? std::optional<size_t>(menu->row) : std::nullopt, c.menuRow);
        EXPECT_FALSE(menu && menu->selectRow);
        window.face.calls.clear();
        if (c.focused) {
            window.model.OnActivateRow(*c.focused);
        }
        EXPECT_EQ(window.face.calls, c.activated);
    }
}
