#include "common/plan.h"

#include "discovery/platform/secure_zero.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kovr::common {

namespace {

constexpr char kPasswordColumn[] = "password";

struct CsvRecord {
    size_t line;
    std::vector<std::string> cells;
};

void Wipe(std::string &text)
{
    platform::SecureZero(text.data(), text.size());
    text.clear();
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Records of quoted or plain cells, split at commas and line ends (LF or
// CRLF); a quoted cell may hold both, and "" for a quote.
bool SplitCsv(const std::string &text, size_t start, std::vector<CsvRecord> &records, std::string &error)
{
    // One buffer, reserved once, so that no password cell is left behind
    // in memory freed by a reallocation.
    std::string cell;
    cell.reserve(text.size());
    CsvRecord record{1, {}};
    size_t line = 1;
    bool quoted = false;
    size_t quoteLine = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                line += c == '\n';
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else if (c == ',') {
            record.cells.push_back(cell);
            cell.clear();
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += c == '\r';
            record.cells.push_back(cell);
            cell.clear();
            records.push_back(std::move(record));
            record = CsvRecord{++line, {}};
        } else {
            cell += c;
        }
    }
    if (quoted) {
        error = "line " + std::to_string(quoteLine) + ": a quoted cell is not closed";
        Wipe(cell);
        return false;
    }
    if (!cell.empty() || !record.cells.empty()) {
        record.cells.push_back(cell);
        records.push_back(std::move(record));
    }
    Wipe(cell);
    return true;
}

// The messages name the row, never any of the password's text.
bool SetPassword(PlanRow &row, const char *text, size_t length, std::string &error)
{
    row.password = std::make_unique<Password>();
    // The library takes it up to its first NUL: the rest would go unsent.
    if (std::memchr(text, '\0', length) != nullptr) {
        error = row.where + ": " + kHoldsNul;
        return false;
    }
    if (!row.password->Assign(text, length)) {
        error = row.where + ": the password is longer than " + std::to_string(Password::kCapacity - 1) + " bytes";
        return false;
    }
    return true;
}

bool ReadCsv(const std::string &text, size_t start, std::vector<PlanRow> &rows, std::string &error)
{
    std::vector<CsvRecord> records;
    bool ok = SplitCsv(text, start, records, error);
    if (ok && records.empty()) {
        error = "the plan is empty";
        ok = false;
    }
    if (ok) {
        std::vector<std::string> columns;
        for (const std::string &heading : records.front().cells) {
            columns.push_back(Lower(Trimmed(heading)));
        }
        for (size_t r = 1; r < records.size(); ++r) {
            PlanRow row{"line " + std::to_string(records[r].line), {}, nullptr};
            const std::vector<std::string> &cells = records[r].cells;
            // An unquoted comma in a password, say: the cells after it
            // would show the rest of it in a later message.
            if (ok && cells.size() > columns.size()) {
                error = row.where + ": " + std::to_string(cells.size()) + " cells, but the header names " +
                        std::to_string(columns.size()) + " (quote a cell that holds a comma)";
                ok = false;
            }
            for (size_t i = 0; i < cells.size() && i < columns.size(); ++i) {
                if (columns[i] == kPasswordColumn) {
                    ok = ok && (cells[i].empty() || SetPassword(row, cells[i].data(), cells[i].size(), error));
                } else if (!Trimmed(cells[i]).empty() && row.cells.count(columns[i]) == 0) {
                    row.cells[columns[i]] = Trimmed(cells[i]);
                }
            }
            if (!row.cells.empty() || row.password) {
                rows.push_back(std::move(row));
            }
        }
    }
    for (CsvRecord &record : records) {
        for (std::string &cell : record.cells) {
            Wipe(cell);
        }
    }
    return ok;
}

bool ReadJson(const std::string &text, std::vector<PlanRow> &rows, std::string &error)
{
    nlohmann::json plan = nlohmann::json::parse(text, nullptr, false);
    if (plan.is_discarded() || !plan.is_array()) {
        error = "the plan is neither CSV with a header nor a JSON array of objects";
        return false;
    }
    bool ok = true;
    for (size_t index = 0; index < plan.size(); ++index) {
        nlohmann::json &object = plan[index];
        const std::string where = "index " + std::to_string(index);
        if (!object.is_object()) {
            error = where + ": not an object";
            ok = false;
            break;
        }
        PlanRow row{where, {}, nullptr};
        for (auto &[key, value] : object.items()) {
            const std::string column = Lower(key);
            if (column == kPasswordColumn && (value.is_string() || value.is_number_integer())) {
                // A password of digits alone may come as a number.
                std::string password = value.is_string() ? value.get<std::string>() : value.dump();
                ok = ok && SetPassword(row, password.data(), password.size(), error);
                Wipe(password);
                if (value.is_string()) {
                    Wipe(value.get_ref<std::string &>());
                }
            } else if (value.is_string()) {
                row.cells[column] = Trimmed(value.get<std::string>());
            } else if (value.is_boolean() || value.is_number_integer()) {
                row.cells[column] = value.dump();
            } else if (!value.is_null()) {
                error = where + ": '" + key + "' is neither a text, a number nor true or false";
                ok = false;
            }
        }
        rows.push_back(std::move(row));
    }
    return ok;
}

} // namespace

bool ReadPlanText(const std::string &text, std::vector<PlanRow> &rows, std::string &error)
{
    // Spreadsheets often start a UTF-8 file with a byte order mark.
    const std::string kByteOrderMark = "\xEF\xBB\xBF";
    const size_t start = text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
    const size_t first = text.find_first_not_of(" \t\r\n", start);
    rows.clear();
    if (first != std::string::npos && text[first] == '[') {
        return ReadJson(text, rows, error);
    }
    return ReadCsv(text, start, rows, error);
}

} // namespace kovr::common
