// Writes devices in the format chosen on the command line: a table, JSON
// or CSV for a finished search, and line by line as they arrive for a watch
// (JSON Lines instead of one array).
#pragma once

#include "tools/kovr/record_table.h"

#include <kovr/kovr.h>

#include <ostream>
#include <vector>

namespace kovr::cli {

enum class OutputFormat { Table, Json, Csv };

void WriteSearchResults(std::ostream &out, OutputFormat format, const std::vector<KOVRDeviceInfoRecord> &records);

class StreamWriter {
public:
    StreamWriter(std::ostream &out, OutputFormat format);
    // The table's headings or the CSV header; nothing for JSON Lines.
    void Begin();
    // One device, flushed at once so that a reader sees it as it arrives.
    void Write(const KOVRDeviceInfoRecord &record);

private:
    std::ostream &out_;
    OutputFormat format_;
    TableWriter table_;
};

} // namespace kovr::cli
