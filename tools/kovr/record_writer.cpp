#include "tools/kovr/record_writer.h"

#include "tools/kovr/record_json.h"

#include "common/device_csv.h"

namespace kovr::cli {

void WriteSearchResults(std::ostream &out, OutputFormat format, const std::vector<KOVRDeviceInfoRecord> &records)
{
    switch (format) {
    case OutputFormat::Json: {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const KOVRDeviceInfoRecord &record : records) {
            array.push_back(RecordJson(record));
        }
        out << JsonText(array) << '\n';
        break;
    }
    case OutputFormat::Csv:
        out << common::DeviceCsvHeader();
        for (const KOVRDeviceInfoRecord &record : records) {
            out << common::DeviceCsvLine(record);
        }
        break;
    case OutputFormat::Table:
        if (records.empty()) {
            out << "No devices found.\n";
            break;
        }
        TableWriter table(out, records);
        table.WriteHeadings();
        for (const KOVRDeviceInfoRecord &record : records) {
            table.WriteRecord(record);
        }
        break;
    }
}

StreamWriter::StreamWriter(std::ostream &out, OutputFormat format) : out_(out), format_(format), table_(out) {}

void StreamWriter::Begin()
{
    if (format_ == OutputFormat::Table) {
        table_.WriteHeadings();
    } else if (format_ == OutputFormat::Csv) {
        out_ << common::DeviceCsvHeader();
    }
    out_.flush();
}

void StreamWriter::Write(const KOVRDeviceInfoRecord &record)
{
    switch (format_) {
    case OutputFormat::Json:
        out_ << JsonText(RecordJson(record)) << '\n';
        break;
    case OutputFormat::Csv:
        out_ << common::DeviceCsvLine(record);
        break;
    case OutputFormat::Table:
        table_.WriteRecord(record);
        break;
    }
    out_.flush();
}

} // namespace kovr::cli
