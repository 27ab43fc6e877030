#pragma once

#include "locator/core/main_window_model.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/device_list.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

// The ids of the main window's context menu entries and keyboard shortcuts,
// one for each MainCommand.
namespace MenuId {
enum : int {
    CopyIpAddress = 40001,
    CopyMacAddress,
    CopyRow,
    OpenWebPage,
    ConfigureIpSettings,
    DeviceInfo,
    RebootDevice,
    ForgetPin,
    ConfigureSelectedDevices, // also Ctrl+Shift+C
    ApplyPlan,                // also Ctrl+O
    SaveListAs,
    CopySelectedRows, // Ctrl+C
    Refresh,          // F5
};
}

static_assert(MenuId::CopyIpAddress == 40000 + static_cast<int>(MainCommand::CopyIpAddress) &&
                  MenuId::Refresh == 40000 + static_cast<int>(MainCommand::Refresh),
              "the menu ids follow the commands");
inline UINT MenuIdOf(MainCommand command)
{
    return 40000 + static_cast<UINT>(command);
}

// The main window: draws its model (core/main_window_model.h) and the
// model's device table, forwards the user's input, and lends the model the
// file dialogs, the clipboard, the browser and the task dialogs. The window
// takes no input while a search runs.
class LocatorWindow : public TemplateDialog, private MainWindowFace {
public:
    // `pins`: the user's (common::KnownDevicesPath()), or a test's own.
    LocatorWindow(const LibrarySeam &library, std::shared_ptr<DevicePins> pins);
    ~LocatorWindow() override;

    // Refresh List: "Searching...", then the devices; nothing while a
    // search runs.
    void RefreshList() { model_.OnRefresh(); }
    bool IsSearching() const { return model_.Current().searching; }
    const DeviceTable &Table() const { return model_.Table(); }
    void SetSubnetSource(MainWindowModel::SubnetSource source) { model_.SetSubnetSource(std::move(source)); }

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR &header) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
    void OnDestroy() override;
    HACCEL Accelerators() const override { return accelerators_; }

private:
    void Draw(const MainWindowModel::State &state);
    void ShowContextMenu(const ContextMenu &menu, POINT screen);

    // MainWindowFace
    void StartSearchLater() override;
    void Copy(const std::string &text) override;
    void OpenWebPage(const std::string &url) override;
    std::optional<std::string> AskSavePath(TextId title, TextId filter, const std::string &fileName) override;
    bool WriteFile(const std::string &path, const std::string &text, std::string &error) override;
    std::optional<ChosenFile> AskOpenFile(TextId title, TextId filter) override;
    void RunIpSettings(const KOVRDeviceInfoRecord &device) override;
    void RunReboot(const KOVRDeviceInfoRecord &device) override;
    void RunDeviceInfo(const KOVRDeviceInfoRecord &device) override;
    bool RunBatch(BatchDevices devices, std::vector<size_t> selected) override;
    bool RunPlan(BatchDevices devices, ListPlan plan, const std::string &planName) override;

    const LibrarySeam &library_;
    UiPost post_;
    std::unique_ptr<DeviceList> list_; // from OnInitDialog
    std::unique_ptr<BusyWindow> busy_;
    const HACCEL accelerators_;
    MainWindowModel model_;
};

} // namespace kovr::locator
