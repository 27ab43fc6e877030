// The main window's view-model: the search cycle through the window's
// session, the tasks the selection allows, the row's context menu, and what
// the user is told; the list's rows live in its device table. A face draws
// the state and the table, forwards the user's input, and lends the model
// what only a toolkit has (MainWindowFace).
#pragma once

#include "common/device_checks.h"
#include "locator/core/batch_model.h"
#include "locator/core/batch_sources.h"
#include "locator/core/device_pins.h"
#include "locator/core/device_table.h"
#include "locator/core/search_job.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

// The window's own session, with the locator's GUID: open while the window
// is, its search stopped and the session closed as it goes.
class MainSession {
public:
    explicit MainSession(const LibrarySeam &library);
    ~MainSession();
    MainSession(const MainSession &) = delete;
    MainSession &operator=(const MainSession &) = delete;

    KOVR_HANDLE Handle() const { return handle_; }
    void StopSearch() const;

private:
    const LibrarySeam &library_;
    const KOVR_HANDLE handle_;
};

// What the window's buttons, shortcuts and menu entries ask for.
enum class MainCommand {
    Separator, // a line between menu entries
    CopyIpAddress,
    CopyMacAddress,
    CopyRow,
    OpenWebPage,
    ConfigureIpSettings,
    DeviceInfo,
    RebootDevice,
    ForgetPin,
    ConfigureSelectedDevices,
    ApplyPlan,
    SaveListAs,
    CopySelectedRows,
    Refresh,
};

struct MenuEntry {
    MainCommand command;
    TextId text;
    bool enabled;
    std::optional<TextId> shortcut; // its keys, as the menu shows them
};

// A device row's menu: the row its entries act on, whether the face first
// selects that row alone (a click on one of several selected rows keeps them
// selected), and its entries.
struct ContextMenu {
    size_t row;
    bool selectRow;
    std::vector<MenuEntry> entries;
};

// The toolkit's part of the main window's work: its dialogs, the clipboard
// and the browser. Paths are UTF-8.
class MainWindowFace {
public:
    struct ChosenFile {
        std::string path; // as LoadPlanForList opens it
        std::string name; // to show
    };
    virtual ~MainWindowFace() = default;

    // Calls OnStartSearch once "Searching..." has been drawn.
    virtual void StartSearchLater() = 0;
    virtual void Copy(const std::string &text) = 0;
    virtual void OpenWebPage(const std::string &url) = 0;
    virtual std::optional<std::string> AskSavePath(TextId title, TextId filter, const std::string &fileName) = 0;
    // False with the reason when the file could not be written.
    virtual bool WriteFile(const std::string &path, const std::string &text, std::string &error) = 0;
    virtual std::optional<ChosenFile> AskOpenFile(TextId title, TextId filter) = 0;
    // The dialogs, modal; the batch's say whether they applied anything.
    virtual void RunIpSettings(const KOVRDeviceInfoRecord &device) = 0;
    virtual void RunReboot(const KOVRDeviceInfoRecord &device) = 0;
    virtual void RunDeviceInfo(const KOVRDeviceInfoRecord &device) = 0;
    virtual bool RunBatch(BatchDevices devices, std::vector<size_t> selected) = 0;
    virtual bool RunPlan(BatchDevices devices, ListPlan plan, const std::string &planName) = 0;
};

class MainWindowModel {
public:
    struct State {
        // A search runs: the window takes no input and shows the wait.
        bool searching = false;
        // Open Web Interface, Configure IP Settings, Device Info and Reboot
        // Device: off while several rows are selected.
        bool singleDeviceTasks = true;
        bool configureSelected = false; // with one device row selected or more
        // Once, with this change: the table's rows changed, and message
        // boxes to show, in order.
        bool rowsChanged = false;
        std::vector<Message> notices;
    };
    using Changed = std::function<void(const State &)>;
    using SubnetSource = std::function<std::vector<common::LocalSubnet>()>;

    // `subnets`: this machine's, for the conflict marks (tests give their
    // own).
    MainWindowModel(const LibrarySeam &library, std::shared_ptr<DevicePins> pins, SubnetSource subnets, PostToUi post,
                    MainWindowFace &face, Changed changed);
    ~MainWindowModel();
    MainWindowModel(const MainWindowModel &) = delete;
    MainWindowModel &operator=(const MainWindowModel &) = delete;

    const State &Current() const { return state_; }
    // The list's rows; the face's list writes the user's selection and
    // sort into it, then calls OnSelectionChanged.
    DeviceTable &Table() { return table_; }
    const DeviceTable &Table() const { return table_; }
    const std::shared_ptr<DevicePins> &Pins() const { return pins_; }
    void SetSubnetSource(SubnetSource source) { subnets_ = std::move(source); }

    // The window opened: its session, then the first search.
    void OnOpen();
    // Refresh List: "Searching...", then the devices; nothing while a
    // search runs.
    void OnRefresh();
    void OnStartSearch();
    // A search's results, on the UI thread.
    void OnSearchResults(const SearchJob::Found &found);
    void OnSelectionChanged();
    // A button, shortcut or menu entry, on the selected rows.
    void OnCommand(MainCommand command);
    // The menu of the row under the pointer; none off the device rows.
    std::optional<ContextMenu> OnMenuRequested(size_t row);
    // The menu from the keyboard, on the selection as it is: on the focused
    // row when it is a selected device row, else on the first selected one;
    // none without a selected device row.
    std::optional<ContextMenu> OnKeyboardMenuRequested(std::optional<size_t> focusedRow);
    // An entry of that row's menu.
    void OnMenuCommand(MainCommand command, size_t row);
    // Enter or a double-click on a row: Device Info for a device row, when
    // no other row is selected with it; nothing otherwise.
    void OnActivateRow(size_t row);
    // The window goes: the search is dropped, the session closed and the
    // rows let go. Also as the model goes.
    void OnClose();

private:
    // The selected record copy, or none: several rows do nothing, and none
    // tells the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();
    bool SeveralSelected() const { return table_.SelectedDeviceRows().size() > 1; }
    // After a dialog: what went wrong with the pins' file, and a new search
    // once a batch applied anything.
    void AfterDialog(bool applied);
    void SaveListAs();
    void ApplyPlan();
    void UpdateTasks();
    void TakePinWarnings();
    void Tell();

    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    MainWindowFace &face_;
    const Changed changed_;
    SubnetSource subnets_;
    DeviceTable table_;
    SearchJob search_;
    std::unique_ptr<MainSession> session_; // from OnOpen to OnClose
    State state_;
};

} // namespace kovr::locator
