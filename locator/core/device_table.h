// The main window's list as data: the devices that answered the last
// search, each row owning a copy of its record made through the library
// table, or one message row; the user's sort and selection; and what the
// list gives out as text (cells, copied lines, CSV). A face draws the rows
// and reports the user's selection; it keeps no state of its own.
#pragma once

#include "common/device_checks.h"
#include "locator/core/conflict_notes.h"
#include "locator/core/library_seam.h"
#include "locator/core/texts.h"

#include <kovr/kovr.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

enum class RowKind { Device, Message };

class DeviceTable {
public:
    // The list's columns, in order.
    enum Column : size_t { IpColumn, MacColumn, NameColumn, ProductColumn };

    explicit DeviceTable(const LibrarySeam &library);

    size_t RowCount() const { return rows_.size(); }
    RowKind KindAt(size_t row) const;
    // The text of a message row.
    TextId MessageAt(size_t row) const;
    // A device row's record copy; none for a message row or a row past the end.
    const KOVRDeviceInfoRecord *DeviceAt(size_t row) const;
    // A device row's cell, safe to show; empty for a message row.
    std::string CellText(size_t row, size_t column) const;
    // The device's problems that keep the user from reaching it, or from
    // trusting what answers for it.
    const std::vector<RowProblem> &ProblemsAt(size_t row) const;

    // Deletes every row, releasing each record copy.
    void Clear();
    // Only the message row "Searching...".
    void ShowSearching();
    // Replaces the message row with one row per device found, in reply order
    // (or the user's sort), marks their problems and selects the first; or
    // shows "No devices found.". conflictingChallenges: the devices whose
    // replies to the search disagreed about their challenge.
    void ShowResults(const std::vector<KOVRDeviceInfoRecord> &found,
                     const std::vector<common::LocalSubnet> &localSubnets,
                     const std::vector<common::MacAddress> &conflictingChallenges = {});

    // Sorts the device rows by a column, the address as a number and the
    // other columns as text; the same column again reverses the order. The
    // selection stays with its rows.
    void SortBy(size_t column);
    std::optional<size_t> SortColumn() const { return sortColumn_; }
    bool Descending() const { return descending_; }

    // What the user selected, rows by position.
    void SetSelection(const std::vector<size_t> &rows);
    bool IsSelected(size_t row) const;
    // The selected device rows, in list order.
    std::vector<size_t> SelectedDeviceRows() const;
    // The first selected row's record copy; none when that is a message
    // row or nothing is selected.
    const KOVRDeviceInfoRecord *SelectedDevice() const;

    // The device records in list order.
    std::vector<KOVRDeviceInfoRecord> Devices() const;
    // IP, MAC, name and product of a row, separated by tabs.
    std::string CopyLine(size_t row) const;
    // The lines of these rows, one a line.
    std::string CopyLines(const std::vector<size_t> &rows) const;
    // Every device as CSV, in list order.
    std::string Csv() const;

private:
    using Copy = std::unique_ptr<KOVRDeviceInfoRecord, void (*)(KOVRDeviceInfoRecord *)>;
    struct Row {
        RowKind kind;
        TextId message;
        Copy record;
        std::vector<RowProblem> problems;
        bool selected = false;
    };
    static Row MessageRow(TextId message);
    // By the chosen column and order, if the user chose one.
    void Sort();

    const LibrarySeam &library_;
    std::vector<Row> rows_;
    std::optional<size_t> sortColumn_;
    bool descending_ = false;
};

} // namespace kovr::locator
