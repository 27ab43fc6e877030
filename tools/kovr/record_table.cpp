#include "tools/kovr/record_table.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/record_fields.h"

#include <algorithm>

namespace kovr::cli {

namespace {

// Widths that hold a dotted address, a MAC and typical names.
constexpr std::array<size_t, kTableColumns> kStreamWidths = {15, 17, 16, 12, 8, 15};

} // namespace

const TableRow &TableHeadings()
{
    static const TableRow headings = {"IP address", "MAC", "Name", "Product", "DHCP", "Interface"};
    return headings;
}

TableRow TableCells(const KOVRDeviceInfoRecord &record)
{
    return {FormatIpv4(record.ipAddress),
            FormatMac(record.macAddress),
            Printable(FieldText(record.deviceName)),
            Printable(FieldText(record.productName)),
            DhcpText(record),
            FormatIpv4(record.interfaceAddress)};
}

TableWriter::TableWriter(std::ostream &out, const std::vector<KOVRDeviceInfoRecord> &fitTo) : out_(out)
{
    for (size_t i = 0; i < kTableColumns; ++i) {
        widths_[i] = DisplayWidth(TableHeadings()[i]);
    }
    for (const KOVRDeviceInfoRecord &record : fitTo) {
        const TableRow row = TableCells(record);
        for (size_t i = 0; i < kTableColumns; ++i) {
            widths_[i] = std::max(widths_[i], DisplayWidth(row[i]));
        }
    }
}

TableWriter::TableWriter(std::ostream &out) : out_(out), widths_(kStreamWidths) {}

void TableWriter::WriteHeadings()
{
    WriteRow(TableHeadings());
}

void TableWriter::WriteRow(const TableRow &row)
{
    std::string line;
    for (size_t i = 0; i < kTableColumns; ++i) {
        line += row[i];
        if (i + 1 < kTableColumns) {
            const size_t width = DisplayWidth(row[i]);
            line.append(widths_[i] > width ? widths_[i] - width : 0, ' ');
            line += "  ";
        }
    }
    out_ << line << '\n';
}

} // namespace kovr::cli
