#pragma once

#include "locator/busy_window.h"
#include "locator/core/main_window_model.h"
#include "locator/template_dialog.h"

#include <memory>
#include <vector>

class QAction;
class QTreeWidget;

namespace kovr::locator {

class DeviceListView;

// The main window: draws its model (core/main_window_model.h) and the
// model's device table, forwards the user's input, and lends the model the
// file dialogs, the clipboard, the browser and the task dialogs.
class LocatorDialog : public TemplateDialog, private MainWindowFace {
    Q_OBJECT

public:
    explicit LocatorDialog(const LibrarySeam &library, QWidget *parent = nullptr);
    ~LocatorDialog() override;

    void RefreshList() { model_.OnRefresh(); }
    const KOVRDeviceInfoRecord *DeviceAt(int index) const;
    const KOVRDeviceInfoRecord *GetSelectedDevice() const { return model_.Table().SelectedDevice(); }
    // The positions of the selected device rows, in list order.
    std::vector<size_t> SelectedPositions() const { return model_.Table().SelectedDeviceRows(); }
    void OnConfigureSelectedDevices() { model_.OnCommand(MainCommand::ConfigureSelectedDevices); }
    void SetSubnetSource(MainWindowModel::SubnetSource source) { model_.SetSubnetSource(std::move(source)); }
    bool IsSearching() const { return model_.Current().searching; }
    // The pins the window and its dialogs share.
    const std::shared_ptr<DevicePins> &Pins() const { return model_.Pins(); }
    QTreeWidget *List() const { return list_; }

    // For the benchmark: the list emptied, and a search's results shown.
    void DeleteAllRows();
    void OnShowResults(const SearchJob::Found &found) { model_.OnSearchResults(found); }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;
    // Enter: on the list it activates the current row; it never ends the
    // program.
    void OnOK() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Draw(const MainWindowModel::State &state);
    void ShowContextMenu(const QPoint &position);
    void ShowMenu(const ContextMenu &menu, const QPoint &position);
    std::optional<size_t> CurrentRow() const;
    void Connect(int control, MainCommand command);
    QAction *AddShortcut(const QKeySequence &keys, MainCommand command);

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
    QTreeWidget *list_;
    DeviceListView *view_ = nullptr; // from OnInitDialog
    QAction *configureSelected_ = nullptr;
    QAction *applyPlan_ = nullptr;
    std::unique_ptr<BusyWindow> busy_;
    MainWindowModel model_;
};

} // namespace kovr::locator
