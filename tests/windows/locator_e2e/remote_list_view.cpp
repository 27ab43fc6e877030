#include "tests/windows/locator_e2e/remote_list_view.h"

#include <commctrl.h>

namespace kovr::e2e {

namespace {

constexpr int kTextCapacity = 1024; // characters; a cell is at most a 255-byte name
constexpr size_t kTextOffset = sizeof(LVITEMW) > sizeof(LVCOLUMNW) ? sizeof(LVITEMW) : sizeof(LVCOLUMNW);
constexpr size_t kMemorySize = kTextOffset + kTextCapacity * sizeof(wchar_t);
constexpr UINT kAnswerMs = 5000;

} // namespace

RemoteListView::RemoteListView(HWND list) : list_(list)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
        memory_ = static_cast<char *>(VirtualAllocEx(process_, nullptr, kMemorySize, MEM_COMMIT, PAGE_READWRITE));
    }
}

RemoteListView::~RemoteListView()
{
    if (memory_) {
        VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    }
    if (process_) {
        CloseHandle(process_);
    }
}

std::optional<LRESULT> RemoteListView::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<std::wstring> RemoteListView::CellText(int row, int column)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t *>(memory_ + kTextOffset);
    item.cchTextMax = kTextCapacity;
    if (!WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr)) {
        return std::nullopt;
    }
    const std::optional<LRESULT> length =
        Send(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
    if (!length || *length < 0 || *length >= kTextCapacity) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(*length), L'\0');
    if (*length > 0 &&
        !ReadProcessMemory(process_, memory_ + kTextOffset, text.data(), text.size() * sizeof(wchar_t), nullptr)) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::vector<std::vector<std::wstring>>> RemoteListView::Cells()
{
    const std::optional<LRESULT> rows = Send(list_, LVM_GETITEMCOUNT, 0, 0);
    const std::optional<LRESULT> header = Send(list_, LVM_GETHEADER, 0, 0);
    if (!Usable() || !rows || !header) {
        return std::nullopt;
    }
    const std::optional<LRESULT> columns = Send(reinterpret_cast<HWND>(*header), HDM_GETITEMCOUNT, 0, 0);
    if (!columns) {
        return std::nullopt;
    }
    std::vector<std::vector<std::wstring>> cells(static_cast<size_t>(*rows));
    for (int row = 0; row < *rows; ++row) {
        for (int column = 0; column < *columns; ++column) {
            std::optional<std::wstring> text = CellText(row, column);
            if (!text) {
                return std::nullopt;
            }
            cells[static_cast<size_t>(row)].push_back(std::move(*text));
        }
    }
    return cells;
}

std::optional<std::vector<std::wstring>> RemoteListView::ColumnTitles()
{
    if (!Usable()) {
        return std::nullopt;
    }
    std::vector<std::wstring> titles;
    for (int column = 0;; ++column) {
        LVCOLUMNW title{};
        title.mask = LVCF_TEXT;
        title.pszText = reinterpret_cast<wchar_t *>(memory_ + kTextOffset);
        title.cchTextMax = kTextCapacity;
        wchar_t text[kTextCapacity] = {};
        if (!WriteProcessMemory(process_, memory_, &title, sizeof title, nullptr) ||
            !WriteProcessMemory(process_, memory_ + kTextOffset, text, sizeof text, nullptr)) {
            return std::nullopt;
        }
        const std::optional<LRESULT> found = Send(list_, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(memory_));
        if (!found) {
            return std::nullopt;
        }
        if (!*found) {
            return titles;
        }
        if (!ReadProcessMemory(process_, memory_ + kTextOffset, text, sizeof text - sizeof(wchar_t), nullptr)) {
            return std::nullopt;
        }
        titles.emplace_back(text);
    }
}

bool RemoteListView::SetState(int row, UINT state, UINT mask)
{
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    if (!WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr)) {
        return false;
    }
    const std::optional<LRESULT> done =
        Send(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
    return done && *done;
}

bool RemoteListView::Select(const std::vector<int> &rows)
{
    if (!Usable() || !SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED)) {
        return false;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const UINT state = i == 0 ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
        if (!SetState(rows[i], state, state)) {
            return false;
        }
    }
    return true;
}

std::optional<std::vector<int>> RemoteListView::SelectedRows()
{
    std::vector<int> rows;
    for (int row = -1;;) {
        const std::optional<LRESULT> next = Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED);
        if (!next) {
            return std::nullopt;
        }
        if (*next < 0) {
            return rows;
        }
        row = static_cast<int>(*next);
        rows.push_back(row);
    }
}

} // namespace kovr::e2e
