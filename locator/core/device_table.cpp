#include "locator/core/device_table.h"

#include "common/device_csv.h"
#include "locator/core/dialog_template.h"
#include "locator/core/record_text.h"

#include <algorithm>
#include <cctype>

namespace kovr::locator {

namespace {

bool TextLess(const std::string &left, const std::string &right)
{
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) < std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

DeviceTable::DeviceTable(const LibrarySeam &library) : library_(library) {}

DeviceTable::Row DeviceTable::MessageRow(TextId message)
{
    return Row{RowKind::Message, message, Copy(nullptr, nullptr), {}, false};
}

RowKind DeviceTable::KindAt(size_t row) const
{
    return rows_.at(row).kind;
}

TextId DeviceTable::MessageAt(size_t row) const
{
    return rows_.at(row).message;
}

const KOVRDeviceInfoRecord *DeviceTable::DeviceAt(size_t row) const
{
    return row < rows_.size() ? rows_[row].record.get() : nullptr;
}

std::string DeviceTable::CellText(size_t row, size_t column) const
{
    const KOVRDeviceInfoRecord *record = DeviceAt(row);
    if (!record) {
        return {};
    }
    switch (column) {
    case IpColumn:
        return FormatDottedAddress(record->ipAddress);
    case MacColumn:
        return FormatMacAddress(record->macAddress);
    case NameColumn:
        return RecordText(record->deviceName);
    case ProductColumn:
        return RecordText(record->productName);
    default:
        return {};
    }
}

const std::vector<RowProblem> &DeviceTable::ProblemsAt(size_t row) const
{
    return rows_.at(row).problems;
}

void DeviceTable::Clear()
{
    rows_.clear();
}

void DeviceTable::ShowSearching()
{
    Clear();
    rows_.push_back(MessageRow(TextId::Searching));
}

void DeviceTable::ShowResults(const std::vector<KOVRDeviceInfoRecord> &found,
                              const std::vector<common::LocalSubnet> &localSubnets,
                              const std::vector<common::MacAddress> &conflictingChallenges)
{
    // "Searching..." gives way to the devices; so would any other message.
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [](const Row &row) { return row.kind == RowKind::Message; }),
                rows_.end());
    for (const KOVRDeviceInfoRecord &record : found) {
        rows_.push_back(Row{
            RowKind::Device, TextId::Verbatim, Copy(library_.CopyRecord(&record), library_.ReleaseRecord), {}, false});
    }
    if (rows_.empty()) {
        rows_.push_back(MessageRow(TextId::NoDevicesFound));
        return;
    }
    const std::vector<std::vector<RowProblem>> problems =
        ConflictProblems(Devices(), localSubnets, conflictingChallenges);
    for (size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].problems = problems[i];
    }
    Sort();
    SetSelection({0});
}

void DeviceTable::SortBy(size_t column)
{
    descending_ = sortColumn_ == column && !descending_;
    sortColumn_ = column;
    Sort();
}

void DeviceTable::Sort()
{
    if (!sortColumn_ || !DeviceAt(0)) {
        return;
    }
    const size_t column = *sortColumn_;
    std::vector<uint32_t> addresses(rows_.size());
    std::vector<std::string> texts(rows_.size());
    std::vector<size_t> order(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        addresses[i] = PackedFromNetworkOrder(rows_[i].record->ipAddress);
        texts[i] = column == 0 ? std::string() : CellText(i, column);
        order[i] = i;
    }
    // Rows that compare equal keep their order, either way.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const size_t left = descending_ ? b : a;
        const size_t right = descending_ ? a : b;
        return column == 0 ? addresses[left] < addresses[right] : TextLess(texts[left], texts[right]);
    });
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (size_t index : order) {
        sorted.push_back(std::move(rows_[index]));
    }
    rows_ = std::move(sorted);
}

void DeviceTable::SetSelection(const std::vector<size_t> &rows)
{
    for (Row &row : rows_) {
        row.selected = false;
    }
    for (size_t row : rows) {
        if (row < rows_.size()) {
            rows_[row].selected = true;
        }
    }
}

bool DeviceTable::IsSelected(size_t row) const
{
    return row < rows_.size() && rows_[row].selected;
}

std::vector<size_t> DeviceTable::SelectedDeviceRows() const
{
    std::vector<size_t> selected;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].selected && rows_[i].record) {
            selected.push_back(i);
        }
    }
    return selected;
}

const KOVRDeviceInfoRecord *DeviceTable::SelectedDevice() const
{
    const auto first = std::find_if(rows_.begin(), rows_.end(), [](const Row &row) { return row.selected; });
    return first == rows_.end() ? nullptr : first->record.get();
}

std::vector<KOVRDeviceInfoRecord> DeviceTable::Devices() const
{
    std::vector<KOVRDeviceInfoRecord> records;
    for (const Row &row : rows_) {
        if (row.record) {
            records.push_back(*row.record);
        }
    }
    return records;
}

std::string DeviceTable::CopyLine(size_t row) const
{
    std::string line;
    for (size_t column = 0; column < kDeviceColumnCount; ++column) {
        line += (column ? "\t" : "") + CellText(row, column);
    }
    return line;
}

std::string DeviceTable::CopyLines(const std::vector<size_t> &rows) const
{
    std::string lines;
    for (size_t row : rows) {
        lines += (lines.empty() ? "" : "\n") + CopyLine(row);
    }
    return lines;
}

std::string DeviceTable::Csv() const
{
    std::string csv = common::DeviceCsvHeader();
    for (const Row &row : rows_) {
        if (row.record) {
            csv += common::DeviceCsvLine(*row.record);
        }
    }
    return csv;
}

} // namespace kovr::locator
