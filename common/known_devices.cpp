#include "common/known_devices.h"

#include "common/atomic_file.h"
#include "common/printable_text.h"
#include "common/state_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

namespace kovr::common {

namespace {

constexpr const char *kHeader = "# Devices seen offering a challenge: kovr and kovr-locator never send them a\n"
                                "# password in plain. One line each: the MAC, then the date it was first seen.\n"
                                "# Forget one with: kovr forget MAC\n";

// "2025-03-01": four digits, two, two.
bool IsDate(const std::string &text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return true;
}

// The MAC of a line "MAC DATE", with blanks around and between.
std::optional<MacAddress> PinOf(const std::string &line)
{
    const char *blanks = " \t";
    const size_t macStart = line.find_first_not_of(blanks);
    if (macStart == std::string::npos) {
        return std::nullopt;
    }
    const size_t macEnd = line.find_first_of(blanks, macStart);
    const size_t dateStart = line.find_first_not_of(blanks, macEnd);
    if (macEnd == std::string::npos || dateStart == std::string::npos) {
        return std::nullopt;
    }
    const size_t dateEnd = line.find_first_of(blanks, dateStart);
    if (dateEnd != std::string::npos && line.find_first_not_of(blanks, dateEnd) != std::string::npos) {
        return std::nullopt;
    }
    const std::optional<MacAddress> mac = ParseMac(std::string_view(line).substr(macStart, macEnd - macStart));
    if (!mac || IsAllDevicesAddress(*mac) || !IsDate(line.substr(dateStart, dateEnd - dateStart))) {
        return std::nullopt;
    }
    return mac;
}

bool IsCommentOrBlank(const std::string &line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
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
    readable_ = true;
    changed_ = false;
    std::vector<std::string> warnings;
    if (path_.empty()) {
        return warnings;
    }
    const StateFileText file = ReadStateFile(path_);
    const std::string name = Printable(path_);
    if (file.status == StateFileText::Status::Failed) {
        readable_ = false;
        warnings.push_back(name + " can't be read (" + file.error +
                           "); until it can, no password is sent in plain and no pin is saved");
        return warnings;
    }
    if (file.othersMayWrite) {
        warnings.push_back(name + " may be changed by other users, who could remove pins from it; it is made " +
                           "private when kovr next writes it");
    }
    size_t number = 0;
    for (size_t start = 0; start < file.text.size();) {
        const size_t end = std::min(file.text.find('\n', start), file.text.size());
        std::string text = file.text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        Line line{text};
        if (const std::optional<MacAddress> mac = PinOf(text)) {
            line.pin = true;
            line.mac = *mac;
        } else if (!IsCommentOrBlank(text)) {
            warnings.push_back(name + " line " + std::to_string(number) +
                               " is neither a MAC with its date nor a comment, and is skipped: \"" + Printable(text) +
                               "\"");
        }
        lines_.push_back(std::move(line));
    }
    return warnings;
}

bool KnownDevices::Readable() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return readable_;
}

bool KnownDevices::IsPinned(const MacAddress &mac) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(), [&](const Line &line) { return line.pin && line.mac == mac; });
}

bool KnownDevices::Learn(const MacAddress &mac, const std::string &date)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (std::any_of(lines_.begin(), lines_.end(), [&](const Line &line) { return line.pin && line.mac == mac; })) {
        return false;
    }
    lines_.push_back({FormatMac(mac.data()) + " " + date, true, mac});
    changed_ = true;
    return true;
}

bool KnownDevices::Forget(const MacAddress &mac)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto pinned = [&](const Line &line) { return line.pin && line.mac == mac; };
    const auto kept = std::remove_if(lines_.begin(), lines_.end(), pinned);
    if (kept == lines_.end()) {
        return false;
    }
    lines_.erase(kept, lines_.end());
    changed_ = true;
    return true;
}

bool KnownDevices::Changed() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return changed_;
}

bool KnownDevices::Save(std::string &error)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty()) {
        error = "no state folder is known: the environment names no home folder";
        return false;
    }
    if (!readable_) {
        error = Printable(path_) + " couldn't be read, and writing it would drop its pins";
        return false;
    }
    std::string text = lines_.empty() || lines_.front().text.rfind('#', 0) != 0 ? kHeader : "";
    for (const Line &line : lines_) {
        text += line.text + "\n";
    }
    const std::string folder = FolderOf(path_);
    if (!folder.empty() && !MakePrivateFolder(folder, error)) {
        return false;
    }
    const Replacement written = ReplaceFileAtomically(path_, text, error, Readers::OwnerOnly);
    if (written != Replacement::Done) {
        error = Printable(path_) +
                (written == Replacement::NotDurable ? ": written, but it may not be on disk yet: " : ": ") + error;
        return false;
    }
    changed_ = false;
    return true;
}

} // namespace kovr::common
