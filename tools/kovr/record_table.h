// Devices as an aligned table, one line per device with the columns IP
// address, MAC, name, product, DHCP and interface.
#pragma once

#include <kovr/kovr.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace kovr::cli {

constexpr size_t kTableColumns = 6;
using TableRow = std::array<std::string, kTableColumns>;

const TableRow &TableHeadings();
// The row of one device, its texts made safe for a terminal.
TableRow TableCells(const KOVRDeviceInfoRecord &record);

// Writes rows padded to column widths. A table that is printed whole sizes
// its columns to fit; a streamed one starts from typical widths and lets a
// longer cell push the rest of its own line to the right.
class TableWriter {
public:
    TableWriter(std::ostream &out, const std::vector<KOVRDeviceInfoRecord> &fitTo);
    explicit TableWriter(std::ostream &out);
    void WriteHeadings();
    void WriteRow(const TableRow &row);
    void WriteRecord(const KOVRDeviceInfoRecord &record) { WriteRow(TableCells(record)); }

private:
    std::ostream &out_;
    std::array<size_t, kTableColumns> widths_;
};

} // namespace kovr::cli
