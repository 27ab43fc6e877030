#include "locator/win32/device_list.h"

#include "locator/core/conflict_notes.h"
#include "locator/core/dialog_template.h"
#include "locator/win32/wide_text.h"

#include <commctrl.h>

#include <algorithm>

namespace kovr::locator {

namespace {

constexpr int kNoMark = I_IMAGENONE;
constexpr int kConflictMark = 0;
constexpr int kBaseUnitXAt96Dpi = 6;

// The dialog's horizontal base unit in pixels: 6 for its font at 96 DPI,
// and as much more as the system made the dialog larger.
int DialogBaseUnitX(HWND dialog)
{
    RECT fourUnits = {0, 0, 4, 0};
    MapDialogRect(dialog, &fourUnits);
    return fourUnits.right > 0 ? fourUnits.right : kBaseUnitXAt96Dpi;
}

void SetCell(HWND list, int row, int column, const std::wstring &text, int image)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t *>(text.c_str());
    item.iImage = image;
    if (column == 0) {
        ListView_InsertItem(list, &item);
    } else {
        ListView_SetItem(list, &item);
    }
}

} // namespace

DeviceList::DeviceList(HWND list, DeviceTable &table, std::function<void()> selectionChanged)
    : list_(list), table_(table), selectionChanged_(std::move(selectionChanged))
{
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    const int baseUnitX = DialogBaseUnitX(GetParent(list_));
    for (size_t i = 0; i < kDeviceColumnCount; ++i) {
        std::wstring title = Wide(EnglishText(kDeviceColumns[i].title));
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = title.data();
        // Pixels at 96 DPI, as the Qt face takes them, scaled as the window
        // is: by its font, which the system scales by less than the DPI
        // where it has no larger size of it.
        column.cx = MulDiv(kDeviceColumns[i].width, baseUnitX, kBaseUnitXAt96Dpi);
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list_, static_cast<int>(i), &column);
    }
    // A conflict mark no taller than the text keeps every row's height.
    const int markSize = GetSystemMetrics(SM_CXSMICON);
    marks_ = ImageList_Create(markSize, markSize, ILC_COLOR32 | ILC_MASK, 1, 0);
    ImageList_AddIcon(marks_, LoadIconW(nullptr, IDI_WARNING));
    ListView_SetImageList(list_, marks_, LVSIL_SMALL);
}

DeviceList::~DeviceList()
{
    if (IsWindow(list_)) {
        ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
    }
    ImageList_Destroy(marks_);
}

void DeviceList::Show()
{
    showing_ = true;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    for (size_t i = 0; i < table_.RowCount(); ++i) {
        const int row = static_cast<int>(i);
        if (table_.KindAt(i) == RowKind::Message) {
            SetCell(list_, row, 0, Wide(EnglishText(table_.MessageAt(i))), kNoMark);
            continue;
        }
        const int mark = table_.ProblemsAt(i).empty() ? kNoMark : kConflictMark;
        for (size_t column = 0; column < kDeviceColumnCount; ++column) {
            SetCell(list_, row, static_cast<int>(column), Wide(table_.CellText(i, column)), mark);
        }
    }
    bool focused = false;
    for (size_t i = 0; i < table_.RowCount(); ++i) {
        if (table_.IsSelected(i)) {
            // The first selected row is the current one, and in sight.
            const UINT state = focused ? LVIS_SELECTED : LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(list_, static_cast<int>(i), state, state);
            if (!focused) {
                ListView_EnsureVisible(list_, static_cast<int>(i), FALSE);
            }
            focused = true;
        }
    }
    ShowSortArrow();
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    showing_ = false;
    selectionChanged_();
}

void DeviceList::ShowSortArrow()
{
    const HWND header = ListView_GetHeader(list_);
    const std::optional<size_t> sorted = table_.SortColumn();
    for (size_t i = 0; i < kDeviceColumnCount; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, static_cast<int>(i), &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (sorted == i) {
            item.fmt |= table_.Descending() ? HDF_SORTDOWN : HDF_SORTUP;
        }
        Header_SetItem(header, static_cast<int>(i), &item);
    }
}

LRESULT DeviceList::OnNotify(const NMHDR &header)
{
    switch (header.code) {
    case LVN_ITEMCHANGED: {
        const auto &change = reinterpret_cast<const NMLISTVIEW &>(header);
        if (!showing_ && (change.uChanged & LVIF_STATE) &&
            ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
            OnSelectionChanged();
        }
        return 0;
    }
    case LVN_COLUMNCLICK:
        table_.SortBy(static_cast<size_t>(reinterpret_cast<const NMLISTVIEW &>(header).iSubItem));
        Show();
        return 0;
    case LVN_GETINFOTIPW: {
        // The conflict note of a marked row.
        auto &tip = const_cast<NMLVGETINFOTIPW &>(reinterpret_cast<const NMLVGETINFOTIPW &>(header));
        const auto row = static_cast<size_t>(tip.iItem);
        if (row < table_.RowCount() && table_.KindAt(row) == RowKind::Device && tip.cchTextMax > 0) {
            const std::wstring note = Wide(ConflictNote(table_.ProblemsAt(row), EnglishText(TextId::ConflictAdvice)));
            const size_t length = std::min(note.size(), static_cast<size_t>(tip.cchTextMax - 1));
            std::copy_n(note.c_str(), length, tip.pszText);
            tip.pszText[length] = L'\0';
        }
        return 0;
    }
    default:
        return 0;
    }
}

void DeviceList::OnSelectionChanged()
{
    std::vector<size_t> selected;
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) {
        selected.push_back(static_cast<size_t>(i));
    }
    table_.SetSelection(selected);
    selectionChanged_();
}

std::optional<size_t> DeviceList::RowAt(POINT screen) const
{
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(list_, &hit.pt);
    const int row = ListView_SubItemHitTest(list_, &hit);
    return row < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(row));
}

std::optional<size_t> DeviceList::FocusedRow() const
{
    const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    return focused < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(focused));
}

POINT DeviceList::MenuPoint(size_t row) const
{
    RECT rect = {};
    if (!ListView_GetItemRect(list_, static_cast<int>(row), &rect, LVIR_LABEL)) {
        GetClientRect(list_, &rect);
        rect.bottom = rect.top;
    }
    POINT point = {rect.left, rect.bottom};
    ClientToScreen(list_, &point);
    return point;
}

void DeviceList::SelectRow(size_t row)
{
    const int item = static_cast<int>(row);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

} // namespace kovr::locator
