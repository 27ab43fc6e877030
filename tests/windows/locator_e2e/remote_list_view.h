// Reads and selects the rows of a list view in another process. Its messages
// carry pointers, which must point into that process: each call writes its
// LVITEMW into memory allocated there, and reads the answer back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kovr::e2e {

class RemoteListView {
public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView &) = delete;
    RemoteListView &operator=(const RemoteListView &) = delete;

    // False when the list's process can't be reached; the calls below then fail.
    bool Usable() const { return memory_ != nullptr; }

    // Every cell, row by row; nothing when a message went unanswered.
    std::optional<std::vector<std::vector<std::wstring>>> Cells();
    std::optional<std::vector<std::wstring>> ColumnTitles();
    // Exactly these rows selected, the first of them focused.
    bool Select(const std::vector<int> &rows);
    std::optional<std::vector<int>> SelectedRows();

private:
    std::optional<std::wstring> CellText(int row, int column);
    bool SetState(int row, UINT state, UINT mask);
    std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND list_;
    HANDLE process_ = nullptr;
    // An LVITEMW (or LVCOLUMNW) followed by its text buffer.
    char *memory_ = nullptr;
};

} // namespace kovr::e2e
