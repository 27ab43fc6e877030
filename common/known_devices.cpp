#include "common/known_devices.h"

#include "common/atomic_file.h"
#include "common/printable_text.h"
#include "common/state_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

namespace kovr::common {

namespace {

constexpr const char *kHeader = "# Devices seen offering a challenge: kovr and kovr-locator never send them a\n"
                                "# password in plain. One line each: the MAC, then the date it was first seen.\n"
                                "# Forget one with: kovr forget MAC\n";

constexpr const char *kBlanks = " \t";
constexpr size_t kLineWarnings = 10;
constexpr size_t kQuotedLength = 80;

// A date as people write one: "2025-03-01", "2025-3-1".
bool IsDate(const std::string &text)
{
    size_t fields = 0;
    size_t digits = 0;
    for (const char c : text + "-") {
        if (c == '-') {
            if (digits == 0 || digits > (fields == 0 ? 4 : 2)) {
                return false;
            }
            ++fields;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    return fields == 3;
}

struct ParsedLine {
    bool pin = false;
    MacAddress mac{};
    // A comment, a blank line, or a MAC followed by nothing but a date
    // and a comment.
    bool understood = true;
};

// A line that starts with a MAC pins it, whatever follows: a pin typed
// with a stray word must still hold.
ParsedLine Parse(const std::string &line)
{
    ParsedLine parsed;
    const size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string::npos || line[start] == '#') {
        return parsed;
    }
    const size_t end = std::min(line.find_first_of(" \t#", start), line.size());
    const std::optional<MacAddress> mac = ParseMac(std::string_view(line).substr(start, end - start));
    if (!mac || IsAllDevicesAddress(*mac)) {
        parsed.understood = false;
        return parsed;
    }
    parsed.pin = true;
    parsed.mac = *mac;
    std::string rest = line.substr(end, line.find('#', end) - end);
    rest.erase(0, rest.find_first_not_of(kBlanks));
    rest.erase(rest.find_last_not_of(kBlanks) + 1);
    parsed.understood = rest.empty() || IsDate(rest);
    return parsed;
}

std::string Quoted(const std::string &text)
{
    return "\"" + Printable(text.size() > kQuotedLength ? text.substr(0, kQuotedLength) + "..." : text) + "\"";
}

struct Lines {
    std::vector<KnownDevicesLine> lines;
    std::vector<std::string> warnings;
};

// The file's lines, each as it was written (without its line end and the
// byte order mark), and the warnings for those not understood, naming
// `name`: the first few, then how many more.
Lines Split(std::string_view text, const std::string &name)
{
    const std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom) {
        text.remove_prefix(bom.size());
    }
    Lines result;
    size_t notUnderstood = 0;
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const ParsedLine parsed = Parse(line);
        if (!parsed.understood && ++notUnderstood <= kLineWarnings) {
            const std::string where = name + " line " + std::to_string(number);
            result.warnings.push_back(
                parsed.pin ? where + " pins " + FormatMac(parsed.mac.data()) +
                                 ", but what follows the MAC is neither a date nor a comment: " + Quoted(line)
                           : where + " is neither a pin nor a comment, and is skipped: " + Quoted(line));
        }
        result.lines.push_back({std::move(line), parsed.pin, parsed.mac});
    }
    if (notUnderstood > kLineWarnings) {
        result.warnings.push_back(name + ": " + std::to_string(notUnderstood - kLineWarnings) +
                                  " more lines are not understood");
    }
    return result;
}

// The folder a path names its file in; empty for a bare name.
std::string FolderOf(const std::string &path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

} // namespace

std::string KnownDevicesPath()
{
    return StateFile(kKnownDevicesFileName);
}

std::string Today()
{
    // Days since 1970-01-01 to a civil date (H. Hinnant's days_from_civil, inverted).
    const auto days =
        std::chrono::duration_cast<std::chrono::hours>(std::chrono::system_clock::now().time_since_epoch()).count() /
        24;
    const long z = static_cast<long>(days) + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const long month = shifted < 10 ? shifted + 3 : shifted - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    return text;
}

KnownDevices::KnownDevices(std::string path) : path_(std::move(path)) {}

std::vector<std::string> KnownDevices::Load()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
    pinned_.clear();
    readable_ = true;
    othersMayChange_.clear();
    learned_.clear();
    forgotten_.clear();
    std::vector<std::string> warnings;
    if (path_.empty()) {
        return warnings;
    }
    const StateFileText file = ReadStateFile(path_, kMaxKnownDevicesFileSize);
    const std::string name = Printable(path_);
    if (file.status == StateFileText::Status::Failed) {
        readable_ = false;
        warnings.push_back(name + " can't be read (" + Printable(file.error) +
                           "); until it can, no password is sent in plain and no pin is saved");
        return warnings;
    }
    if (!file.othersMayChange.empty()) {
        othersMayChange_ = file.othersMayChange;
        warnings.push_back(name + " may be changed by other users, who could remove pins from it: " +
                           Printable(othersMayChange_) + ". Until the file and its folder belong to you and " +
                           "only you may write them, no password is sent in plain (kovr makes a folder of " +
                           "yours private when it next saves a pin)");
    }
    Lines read = Split(file.text, name);
    lines_ = std::move(read.lines);
    IndexLines();
    warnings.insert(warnings.end(), read.warnings.begin(), read.warnings.end());
    return warnings;
}

bool KnownDevices::Readable() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return readable_;
}

std::string KnownDevices::Distrust() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!readable_) {
        return "can't be read";
    }
    return othersMayChange_.empty() ? std::string() : "may be changed by other users";
}

void KnownDevices::IndexLines()
{
    pinned_.clear();
    for (const KnownDevicesLine &line : lines_) {
        if (line.pin) {
            pinned_.insert(line.mac);
        }
    }
}

bool KnownDevices::IsPinned(const MacAddress &mac) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return pinned_.count(mac) != 0;
}

bool KnownDevices::Learn(const MacAddress &mac, const std::string &date)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!pinned_.insert(mac).second) {
        return false;
    }
    const std::string text = FormatMac(mac.data()) + " " + date;
    lines_.push_back({text, true, mac});
    learned_.push_back({mac, date});
    forgotten_.erase(std::remove(forgotten_.begin(), forgotten_.end(), mac), forgotten_.end());
    return true;
}

bool KnownDevices::Forget(const MacAddress &mac)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto pinned = [&](const KnownDevicesLine &line) { return line.pin && line.mac == mac; };
    const auto kept = std::remove_if(lines_.begin(), lines_.end(), pinned);
    if (kept == lines_.end()) {
        return false;
    }
    lines_.erase(kept, lines_.end());
    pinned_.erase(mac);
    learned_.erase(std::remove_if(learned_.begin(), learned_.end(), [&](const Learned &l) { return l.mac == mac; }),
                   learned_.end());
    forgotten_.push_back(mac);
    return true;
}

bool KnownDevices::Changed() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return !learned_.empty() || !forgotten_.empty();
}

bool KnownDevices::Save(std::string &error)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty()) {
        error = "no state folder is known: the environment names no home folder";
        return false;
    }
    const std::string name = Printable(path_);
    if (!readable_) {
        error = name + " couldn't be read, and writing it would drop its pins";
        return false;
    }
    const std::string folder = FolderOf(path_);
    if (!folder.empty() && !MakePrivateFolder(folder, error)) {
        return false;
    }
    StateFileLock fileLock;
    if (!fileLock.Take(path_ + ".lock", kKnownDevicesLockWait, error)) {
        error = Printable(error) + "; nothing was saved";
        return false;
    }
    // Another program may have saved since Load: start from what is on disk.
    const StateFileText file = ReadStateFile(path_, kMaxKnownDevicesFileSize);
    if (file.status == StateFileText::Status::Failed) {
        error = name + " can't be read now (" + Printable(file.error) + "), and writing it would drop its pins";
        return false;
    }
    std::vector<KnownDevicesLine> merged = Split(file.text, name).lines;
    const std::set<MacAddress> forgetting(forgotten_.begin(), forgotten_.end());
    const auto forgotten = [&](const KnownDevicesLine &line) { return line.pin && forgetting.count(line.mac) != 0; };
    const size_t before = merged.size();
    merged.erase(std::remove_if(merged.begin(), merged.end(), forgotten), merged.end());
    bool changed = merged.size() != before;

    std::string text;
    for (const KnownDevicesLine &line : merged) {
        text += line.text + "\n";
    }
    // A file without its header gets one, unless that would take it past
    // what a reader accepts.
    if ((merged.empty() || merged.front().text.rfind('#', 0) != 0) &&
        text.size() + std::strlen(kHeader) <= kMaxLearnedFileSize) {
        text.insert(0, kHeader);
    }
    // The new pins it lacks, within the bounds; the rest stay for this run.
    std::set<MacAddress> onDisk;
    for (const KnownDevicesLine &line : merged) {
        if (line.pin) {
            onDisk.insert(line.mac);
        }
    }
    std::vector<Learned> leftOut;
    for (const Learned &pin : learned_) {
        if (!onDisk.insert(pin.mac).second) {
            continue;
        }
        const std::string line = FormatMac(pin.mac.data()) + " " + pin.date;
        if (savedNewPins_ >= kMaxNewPinsPerRun || text.size() + line.size() + 1 > kMaxLearnedFileSize) {
            leftOut.push_back(pin);
            continue;
        }
        text += line + "\n";
        merged.push_back({line, true, pin.mac});
        ++savedNewPins_;
        changed = true;
    }
    const Replacement written =
        changed ? ReplaceFileAtomically(path_, text, error, Readers::OwnerOnly) : Replacement::Done;
    if (written == Replacement::Failed) {
        error = name + ": " + error;
        return false;
    }
    for (const Learned &pin : leftOut) {
        merged.push_back({FormatMac(pin.mac.data()) + " " + pin.date, true, pin.mac});
    }
    lines_ = std::move(merged);
    IndexLines();
    learned_ = leftOut;
    forgotten_.clear();
    if (written == Replacement::NotDurable) {
        error = name + ": written, but it may not be on disk yet: " + error;
        return false;
    }
    if (!leftOut.empty()) {
        error = std::to_string(leftOut.size()) + " devices seen offering a challenge were not pinned: " + name +
                " takes at most " + std::to_string(kMaxNewPinsPerRun) + " new pins a run, and new pins only " +
                "while it is under " + std::to_string(kMaxLearnedFileSize >> 20) + " MiB";
        return false;
    }
    return true;
}

} // namespace kovr::common
