#pragma once

#include "locator/core/device_table.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>

namespace kovr::locator {

// Draws the core's device table in the main window's report list view:
// the columns at their widths (scaled to the window's DPI), each row's
// cells, a conflict mark with its note as the row's tip, the selection and
// the sort arrow. The user's selection goes back to the table, and a click
// on a column's header sorts by it. Keeps no rows of its own.
class DeviceList {
public:
    DeviceList(HWND list, DeviceTable &table, std::function<void()> selectionChanged);
    ~DeviceList();
    DeviceList(const DeviceList &) = delete;
    DeviceList &operator=(const DeviceList &) = delete;

    // Draws every row of the table.
    void Show();
    // The list's notifications, from its parent's WM_NOTIFY.
    LRESULT OnNotify(const NMHDR &header);
    // The row under a point on the screen.
    std::optional<size_t> RowAt(POINT screen) const;
    // The row with the keyboard focus, if any.
    std::optional<size_t> FocusedRow() const;
    // Where a menu for the keyboard opens: at the row's bottom left corner,
    // on the screen.
    POINT MenuPoint(size_t row) const;
    // Makes this row the only selected one.
    void SelectRow(size_t row);

private:
    void OnSelectionChanged();
    void ShowSortArrow();

    HWND list_;
    DeviceTable &table_;
    std::function<void()> selectionChanged_;
    HIMAGELIST marks_ = nullptr;
    bool showing_ = false; // while Show sets the selection
};

} // namespace kovr::locator
