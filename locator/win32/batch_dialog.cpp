#include "locator/win32/batch_dialog.h"

#include "locator/win32/file_dialog.h"
#include "locator/win32/message_box.h"
#include "locator/win32/password_edit.h"
#include "locator/win32/text_file.h"
#include "locator/win32/wide_text.h"

#include <commctrl.h>

#include <algorithm>

namespace kovr::locator {

namespace {

enum Column { MacColumn, NameColumn, CurrentColumn, NewColumn, StatusColumn, ColumnCount };

constexpr TextId kColumnTitles[ColumnCount] = {TextId::BatchColumnMac, TextId::BatchColumnName,
                                               TextId::BatchColumnCurrent, TextId::BatchColumnNew,
                                               TextId::BatchColumnStatus};

// The marks at a row's start, where they are seen without scrolling.
constexpr int kNoMark = I_IMAGENONE;
constexpr int kWarningMark = 0;
constexpr int kErrorMark = 1;

// The inputs that an apply turns off, besides the range's.
constexpr int kInputs[] = {ControlId::BatchPassword, ControlId::BatchRequireChallenge, ControlId::BatchApply};

// A cell holds one line: a status of several problems shows them one
// after the other, and whole, a line each, in the row's tip.
std::wstring OneLine(const std::string &text)
{
    std::wstring line;
    for (const wchar_t c : Wide(text)) {
        line += c == L'\n' ? std::wstring(L"; ") : std::wstring(1, c);
    }
    return line;
}

} // namespace

BatchDialog::BatchDialog(const DialogTemplate &dialogTemplate, const LibrarySeam &library, BatchDevices devices,
                         std::vector<size_t> positions, std::shared_ptr<DevicePins> pins, Message intro)
    : TemplateDialog(dialogTemplate),
      model_(library, std::move(devices), std::move(positions), std::move(pins), post_.Poster(),
             [this](const Message &question) { return AskToConfirm(Window(), English(question)); }),
      intro_(std::move(intro)), tips_(model_.Size())
{}

BatchDialog::BatchDialog(const LibrarySeam &library, BatchDevices devices, std::vector<size_t> selected,
                         std::shared_ptr<DevicePins> pins)
    : BatchDialog(kBatchSelectedTemplate, library, std::move(devices), selected, std::move(pins),
                  {TextId::BatchSelectedSummary, {std::to_string(selected.size())}})
{}

BatchDialog::BatchDialog(const LibrarySeam &library, BatchDevices devices, ListPlan plan, const std::string &planName,
                         std::shared_ptr<DevicePins> pins)
    : BatchDialog(kBatchPlanTemplate, library, std::move(devices), std::move(plan.positions), std::move(pins),
                  {TextId::BatchPlanSummary, {planName, std::to_string(plan.entries.size())}})
{
    model_.SetEntries(std::move(plan.entries));
}

BatchDialog::~BatchDialog()
{
    // OnDestroy wipes the password field; an apply still running ends with
    // the model, which finishes the devices in hand.
    Close(IDCANCEL);
}

void BatchDialog::OnInitDialog()
{
    SetWindowTextW(Control(ControlId::BatchIntro), Wide(English(intro_)).c_str());
    const HWND preview = Preview();
    ListView_SetExtendedListViewStyle(preview, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (int i = 0; i < ColumnCount; ++i) {
        std::wstring title = Wide(EnglishText(kColumnTitles[i]));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = title.data();
        column.iSubItem = i;
        ListView_InsertColumn(preview, i, &column);
    }
    // No taller than the text, so that every row keeps its height; the
    // list view destroys them with itself.
    const int markSize = GetSystemMetrics(SM_CXSMICON);
    const HIMAGELIST marks = ImageList_Create(markSize, markSize, ILC_COLOR32 | ILC_MASK, 2, 0);
    ImageList_AddIcon(marks, LoadIconW(nullptr, IDI_WARNING));
    ImageList_AddIcon(marks, LoadIconW(nullptr, IDI_ERROR));
    ListView_SetImageList(preview, marks, LVSIL_SMALL);
    for (size_t i = 0; i < model_.Size(); ++i) {
        const PreviewRow &row = model_.Preview()[i];
        std::wstring mac = Wide(row.mac);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = mac.data();
        item.iImage = kNoMark;
        ListView_InsertItem(preview, &item);
        SetCell(i, NameColumn, Wide(row.name));
        SetCell(i, CurrentColumn, Wide(row.current));
    }
    SendMessageW(Control(ControlId::BatchProgress), PBM_SETRANGE32, 0, static_cast<LPARAM>(model_.Size()));
    EnableWindow(Control(ControlId::BatchSaveCsv), FALSE);
    if (Control(ControlId::BatchRangeRadio)) {
        range_.emplace(Window(), SuggestedRange(model_.DeviceAt(0)));
        OnRangeChanged();
    } else {
        ShowPreview();
    }
}

void BatchDialog::OnCommand(int id, int code, HWND control)
{
    if (range_ && range_->Changed(id, code)) {
        OnRangeChanged();
        return;
    }
    switch (id) {
    case ControlId::BatchApply:
        OnOK();
        break;
    case ControlId::BatchRequireChallenge:
        model_.SetRequireChallenge(IsDlgButtonChecked(Window(), id) == BST_CHECKED);
        break;
    case ControlId::BatchSaveCsv:
        OnSaveOutcomes();
        break;
    case ControlId::BatchClose:
        OnCloseButton();
        break;
    default:
        TemplateDialog::OnCommand(id, code, control);
        break;
    }
}

LRESULT BatchDialog::OnNotify(const NMHDR &header)
{
    if (header.idFrom == static_cast<UINT_PTR>(ControlId::BatchPreview) && header.code == LVN_GETINFOTIPW) {
        const auto &tip = reinterpret_cast<const NMLVGETINFOTIPW &>(header);
        const size_t row = static_cast<size_t>(tip.iItem);
        if (row < tips_.size() && !tips_[row].empty() && tip.cchTextMax > 0) {
            const size_t length = std::min(tips_[row].size(), static_cast<size_t>(tip.cchTextMax) - 1);
            std::copy_n(tips_[row].c_str(), length, tip.pszText);
            tip.pszText[length] = L'\0';
        }
    }
    return 0;
}

void BatchDialog::OnRangeChanged()
{
    ChooseRange(model_, range_->Range());
    ShowPreview();
}

void BatchDialog::ShowPreview()
{
    const std::vector<PreviewRow> &rows = model_.Preview();
    for (size_t i = 0; i < rows.size(); ++i) {
        const PreviewRow &row = rows[i];
        const std::string status = English(row.status);
        SetCell(i, NewColumn, Wide(English(row.change)));
        SetCell(i, StatusColumn, OneLine(status));
        SetMark(i, !row.marked ? kNoMark : row.error ? kErrorMark : kWarningMark, row.marked ? status : "");
    }
    const std::optional<Message> &blocker = model_.Blocker();
    const HWND problem = Control(ControlId::BatchProblem);
    SetWindowTextW(problem, blocker ? WideLines(English(*blocker)).c_str() : L"");
    ShowWindow(problem, blocker ? SW_SHOWNA : SW_HIDE);
    FitColumns();
    EnableWindow(Control(ControlId::BatchApply), !blocker);
}

void BatchDialog::SetCell(size_t row, int column, const std::wstring &text)
{
    ListView_SetItemText(Preview(), static_cast<int>(row), column, const_cast<wchar_t *>(text.c_str()));
}

void BatchDialog::SetMark(size_t row, int mark, const std::string &tip)
{
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = static_cast<int>(row);
    item.iImage = mark;
    ListView_SetItem(Preview(), &item);
    tips_[row] = WideLines(tip);
}

void BatchDialog::FitColumns()
{
    // The wider of the cells and the title, which some list views'
    // LVSCW_AUTOSIZE_USEHEADER leaves short; two letters' room as a margin.
    const HWND preview = Preview();
    const int margin = ListView_GetStringWidth(preview, L"MM");
    for (int column = 0; column < ColumnCount; ++column) {
        ListView_SetColumnWidth(preview, column, LVSCW_AUTOSIZE);
        const int title = ListView_GetStringWidth(preview, Wide(EnglishText(kColumnTitles[column])).c_str()) + margin;
        if (title > ListView_GetColumnWidth(preview, column)) {
            ListView_SetColumnWidth(preview, column, title);
        }
    }
}

void BatchDialog::DisableInputs()
{
    if (range_) {
        range_->SetEnabled(false);
    }
    for (const int id : kInputs) {
        EnableWindow(Control(id), FALSE);
    }
}

void BatchDialog::OnOK()
{
    if (IsApplying() || Applied() || model_.Blocker()) {
        return;
    }
    const HWND field = Control(ControlId::BatchPassword);
    std::unique_ptr<common::Password> password;
    if (model_.NeedsSharedPassword()) {
        password = TakePassword(field, Window());
        if (!password) {
            return;
        }
    }
    WipePasswordEdit(field);
    BatchModel::Listener listener;
    listener.reported = [this](size_t index, const common::DeviceReport &report) {
        SendMessageW(Control(ControlId::BatchProgress), PBM_SETPOS, static_cast<WPARAM>(++reported_), 0);
        ShowOutcome(index, report);
    };
    listener.ended = [this] { OnApplyEnded(); };
    if (!model_.Apply(std::move(password), std::move(listener))) {
        return;
    }
    reported_ = 0;
    // The focus leaves the inputs for the button that stops the run.
    SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(ControlId::BatchClose)), TRUE);
    DisableInputs();
    SendMessageW(Control(ControlId::BatchProgress), PBM_SETPOS, 0, 0);
    SetWindowTextW(Control(ControlId::BatchOutcome), Wide(EnglishText(TextId::BatchApplying)).c_str());
    SetWindowTextW(Control(ControlId::BatchClose), Wide(EnglishText(TextId::BatchCancel)).c_str());
    for (size_t i = 0; i < model_.Size(); ++i) {
        SetCell(i, StatusColumn, Wide(EnglishText(TextId::BatchWaiting)));
    }
}

void BatchDialog::ShowOutcome(size_t index, const common::DeviceReport &report)
{
    const bool bad = IsBadOutcome(report.outcome);
    const std::string cell = OutcomeCell(report);
    SetCell(index, StatusColumn, Wide(cell));
    SetMark(index, bad ? kErrorMark : kNoMark, bad ? cell : "");
    // Wider only, measuring the new text alone: a run of many devices
    // doesn't measure every row each time. Two letters' room, as a margin.
    const HWND preview = Preview();
    const int width = ListView_GetStringWidth(preview, Wide(cell).c_str()) + ListView_GetStringWidth(preview, L"MM");
    if (width > ListView_GetColumnWidth(preview, StatusColumn)) {
        ListView_SetColumnWidth(preview, StatusColumn, width);
    }
}

void BatchDialog::OnApplyEnded()
{
    SendMessageW(Control(ControlId::BatchProgress), PBM_SETPOS, static_cast<WPARAM>(model_.Size()), 0);
    const std::vector<common::DeviceReport> &reports = model_.Reports();
    for (size_t i = 0; i < reports.size(); ++i) {
        ShowOutcome(i, reports[i]);
    }
    FitColumns();
    SetWindowTextW(Control(ControlId::BatchOutcome), Wide(model_.Summary()).c_str());
    const HWND close = Control(ControlId::BatchClose);
    EnableWindow(Control(ControlId::BatchSaveCsv), TRUE);
    EnableWindow(close, TRUE);
    SetWindowTextW(close, Wide(EnglishText(TextId::BatchClose)).c_str());
    if (closeWhenDone_) {
        Close(IDCANCEL);
    }
}

void BatchDialog::OnCloseButton()
{
    if (!IsApplying()) {
        Close(IDCANCEL);
        return;
    }
    model_.Stop();
    const HWND close = Control(ControlId::BatchClose);
    if (GetFocus() == close) {
        SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Preview()), TRUE);
    }
    EnableWindow(close, FALSE);
    SetWindowTextW(Control(ControlId::BatchOutcome), Wide(EnglishText(TextId::BatchStopping)).c_str());
}

void BatchDialog::OnCancel()
{
    // While an apply runs, the dialog closes once the devices in hand are
    // done, so that no worker is left behind it.
    closeWhenDone_ = IsApplying();
    OnCloseButton();
}

void BatchDialog::OnDestroy()
{
    WipePasswordEdit(Control(ControlId::BatchPassword));
}

void BatchDialog::OnSaveOutcomes()
{
    const std::optional<std::wstring> path = AskSavePath(Window(), EnglishText(TextId::BatchSaveCsvTitle),
                                                         EnglishText(TextId::CsvFileFilter), L"outcomes.csv");
    std::string error;
    if (path && !WriteTextFile(*path, model_.OutcomesCsv(), error)) {
        ShowMessage(Window(), English({TextId::BatchOutcomesNotSaved, {Narrow(*path), error}}));
    }
}

} // namespace kovr::locator
