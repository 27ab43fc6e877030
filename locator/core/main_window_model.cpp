#include "locator/core/main_window_model.h"

#include "locator/core/record_text.h"

namespace kovr::locator {

MainSession::MainSession(const LibrarySeam &library)
    : library_(library), handle_(library.OpenByGuid(&kLocatorSessionGuid))
{}

MainSession::~MainSession()
{
    // Closing ends a search's first request at once.
    StopSearch();
    library_.Close(handle_);
}

void MainSession::StopSearch() const
{
    library_.StopSearch(handle_);
}

MainWindowModel::MainWindowModel(const LibrarySeam &library, std::shared_ptr<DevicePins> pins, SubnetSource subnets,
                                 PostToUi post, MainWindowFace &face, Changed changed)
    : library_(library), pins_(std::move(pins)), face_(face), changed_(std::move(changed)),
      subnets_(std::move(subnets)), table_(library), search_(library, pins_, std::move(post))
{}

MainWindowModel::~MainWindowModel()
{
    // A window torn down without closing still lets go of its session and
    // its records; it is told nothing.
    search_.Cancel();
    session_.reset();
}

void MainWindowModel::Tell()
{
    // The one-time parts go before the face hears, which may call back.
    const State told = state_;
    state_.rowsChanged = false;
    state_.notices.clear();
    changed_(told);
}

void MainWindowModel::OnOpen()
{
    if (!session_) {
        session_ = std::make_unique<MainSession>(library_);
        OnRefresh();
    }
}

void MainWindowModel::OnRefresh()
{
    // One search at a time.
    if (state_.searching || !session_) {
        return;
    }
    session_->StopSearch();
    table_.ShowSearching();
    state_.rowsChanged = true;
    UpdateTasks();
    Tell();
    face_.StartSearchLater();
}

void MainWindowModel::OnStartSearch()
{
    if (state_.searching || !session_) {
        return;
    }
    state_.searching = true;
    Tell();
    search_.Start(session_->Handle(), [this](const SearchJob::Found &found) { OnSearchResults(found); });
}

void MainWindowModel::OnSearchResults(const SearchJob::Found &found)
{
    table_.ShowResults(found.devices, subnets_(), found.conflictingChallenges);
    state_.searching = false;
    state_.rowsChanged = true;
    UpdateTasks();
    TakePinWarnings();
    Tell();
}

void MainWindowModel::UpdateTasks()
{
    state_.singleDeviceTasks = !SeveralSelected();
    state_.configureSelected = !table_.SelectedDeviceRows().empty();
}

void MainWindowModel::TakePinWarnings()
{
    for (Message &warning : pins_->TakeWarnings()) {
        state_.notices.push_back(std::move(warning));
    }
}

void MainWindowModel::OnSelectionChanged()
{
    UpdateTasks();
    Tell();
}

const KOVRDeviceInfoRecord *MainWindowModel::SelectedDeviceOrNotice()
{
    if (SeveralSelected()) {
        return nullptr;
    }
    const KOVRDeviceInfoRecord *device = table_.SelectedDevice();
    if (!device) {
        state_.notices.emplace_back(TextId::NoDeviceSelected);
        Tell();
    }
    return device;
}

void MainWindowModel::OnCommand(MainCommand command)
{
    const KOVRDeviceInfoRecord *device = nullptr;
    switch (command) {
    case MainCommand::OpenWebPage:
        if ((device = SelectedDeviceOrNotice())) {
            face_.OpenWebPage("http://" + FormatDottedAddress(device->ipAddress));
        }
        break;
    case MainCommand::ConfigureIpSettings:
        if ((device = SelectedDeviceOrNotice())) {
            face_.RunIpSettings(*device);
            AfterDialog(false);
        }
        break;
    case MainCommand::RebootDevice:
        if ((device = SelectedDeviceOrNotice())) {
            face_.RunReboot(*device);
            AfterDialog(false);
        }
        break;
    case MainCommand::DeviceInfo:
        if ((device = SelectedDeviceOrNotice())) {
            face_.RunDeviceInfo(*device);
        }
        break;
    case MainCommand::ForgetPin:
        if ((device = SelectedDeviceOrNotice())) {
            if (std::optional<Message> failure = pins_->Forget(MacOf(*device))) {
                state_.notices.push_back(std::move(*failure));
                Tell();
            }
        }
        break;
    case MainCommand::ConfigureSelectedDevices:
        if (std::vector<size_t> selected = table_.SelectedDeviceRows(); !selected.empty()) {
            AfterDialog(face_.RunBatch({table_.Devices(), subnets_()}, std::move(selected)));
        }
        break;
    case MainCommand::ApplyPlan:
        ApplyPlan();
        break;
    case MainCommand::SaveListAs:
        SaveListAs();
        break;
    case MainCommand::CopySelectedRows:
        if (const std::vector<size_t> selected = table_.SelectedDeviceRows(); !selected.empty()) {
            face_.Copy(table_.CopyLines(selected));
        }
        break;
    case MainCommand::Refresh:
        OnRefresh();
        break;
    case MainCommand::Separator:
    case MainCommand::CopyIpAddress:
    case MainCommand::CopyMacAddress:
    case MainCommand::CopyRow:
        break; // a row's menu only
    }
}

std::optional<ContextMenu> MainWindowModel::OnMenuRequested(size_t row)
{
    if (!table_.DeviceAt(row)) {
        return std::nullopt;
    }
    const bool selectRow = !table_.IsSelected(row);
    const bool single = selectRow || !SeveralSelected();
    const bool pinned = single && pins_->IsPinned(MacOf(*table_.DeviceAt(row)));
    TakePinWarnings();
    if (!state_.notices.empty()) {
        Tell();
    }
    using C = MainCommand;
    const MenuEntry separator{C::Separator, TextId::Verbatim, false, std::nullopt};
    return ContextMenu{row,
                       selectRow,
                       {
                           {C::CopyIpAddress, TextId::MenuCopyIpAddress, true, std::nullopt},
                           {C::CopyMacAddress, TextId::MenuCopyMacAddress, true, std::nullopt},
                           {C::CopyRow, TextId::MenuCopyRow, true, std::nullopt},
                           separator,
                           {C::OpenWebPage, TextId::MenuOpenWebPage, single, std::nullopt},
                           separator,
                           {C::ConfigureIpSettings, TextId::MenuConfigureIpSettings, single, std::nullopt},
                           {C::DeviceInfo, TextId::MenuDeviceInfo, single, std::nullopt},
                           {C::RebootDevice, TextId::MenuRebootDevice, single, std::nullopt},
                           {C::ForgetPin, TextId::MenuForgetPin, pinned, std::nullopt},
                           separator,
                           {C::ConfigureSelectedDevices, TextId::MenuConfigureSelectedDevices, true,
                            TextId::ShortcutConfigureSelectedDevices},
                           {C::ApplyPlan, TextId::MenuApplyPlan, true, TextId::ShortcutApplyPlan},
                           separator,
                           {C::SaveListAs, TextId::MenuSaveListAs, true, std::nullopt},
                       }};
}

std::optional<ContextMenu> MainWindowModel::OnKeyboardMenuRequested(std::optional<size_t> focusedRow)
{
    // The keys move nothing: the menu takes the selection as it stands.
    const std::vector<size_t> selected = table_.SelectedDeviceRows();
    if (selected.empty()) {
        return std::nullopt;
    }
    const bool onFocused = focusedRow && table_.DeviceAt(*focusedRow) && table_.IsSelected(*focusedRow);
    return OnMenuRequested(onFocused ? *focusedRow : selected.front());
}

void MainWindowModel::OnActivateRow(size_t row)
{
    const KOVRDeviceInfoRecord *device = table_.DeviceAt(row);
    if (device && !SeveralSelected()) {
        face_.RunDeviceInfo(*device);
    }
}

void MainWindowModel::OnMenuCommand(MainCommand command, size_t row)
{
    switch (command) {
    case MainCommand::CopyIpAddress:
        face_.Copy(table_.CellText(row, DeviceTable::IpColumn));
        break;
    case MainCommand::CopyMacAddress:
        face_.Copy(table_.CellText(row, DeviceTable::MacColumn));
        break;
    case MainCommand::CopyRow:
        face_.Copy(table_.CopyLine(row));
        break;
    default:
        OnCommand(command);
        break;
    }
}

void MainWindowModel::AfterDialog(bool applied)
{
    TakePinWarnings();
    if (!state_.notices.empty()) {
        Tell();
    }
    // The list shows what the devices hold now.
    if (applied) {
        OnRefresh();
    }
}

void MainWindowModel::SaveListAs()
{
    const std::optional<std::string> path =
        face_.AskSavePath(TextId::SaveListAsTitle, TextId::CsvFileFilter, "devices.csv");
    std::string error;
    if (path && !face_.WriteFile(*path, table_.Csv(), error)) {
        state_.notices.push_back({TextId::ListNotSaved, {*path, error}});
        Tell();
    }
}

void MainWindowModel::ApplyPlan()
{
    const std::optional<MainWindowFace::ChosenFile> file =
        face_.AskOpenFile(TextId::ApplyPlanTitle, TextId::PlanFileFilter);
    if (!file) {
        return;
    }
    std::vector<KOVRDeviceInfoRecord> devices = table_.Devices();
    ListPlan plan = LoadPlanForList(file->path, devices);
    if (plan.error) {
        state_.notices.push_back(std::move(*plan.error));
        AfterDialog(false);
        return;
    }
    AfterDialog(face_.RunPlan({std::move(devices), subnets_()}, std::move(plan), file->name));
}

void MainWindowModel::OnClose()
{
    // The search on the worker ends at its next wake, and closing the
    // session ends its first request at once; what it found is dropped.
    search_.Cancel();
    session_.reset();
    table_.Clear();
    state_.searching = false;
    state_.rowsChanged = true;
    Tell();
}

} // namespace kovr::locator
