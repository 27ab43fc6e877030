#include "common/plan.h"

#include "common/device_checks.h"
#include "common/ipv4_text.h"

#include <optional>

namespace kovr::common {

namespace {

constexpr const char *kAddressColumns[] = {"ip", "mask", "gateway"};

const std::string *Cell(const PlanRow &row, const std::string &column)
{
    const auto found = row.cells.find(column);
    return found == row.cells.end() ? nullptr : &found->second;
}

// True for on, false for off, nothing when the row doesn't say ("N/A" is
// what a search writes for a device that didn't report its mode).
bool ReadDhcp(const PlanRow &row, std::optional<bool> &dhcp, std::vector<std::string> &errors)
{
    const std::string *cell = Cell(row, "dhcp");
    if (cell == nullptr) {
        return true;
    }
    std::string value;
    for (char c : *cell) {
        value += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (value == "enabled" || value == "on" || value == "1" || value == "true") {
        dhcp = true;
    } else if (value == "disabled" || value == "off" || value == "0" || value == "false") {
        dhcp = false;
    } else if (value != "n/a") {
        errors.push_back(row.where + ": dhcp '" + *cell + "' is not Enabled/Disabled, on/off, 1/0 or true/false");
        return false;
    }
    return true;
}

bool ReadStatic(const PlanRow &row, PlanEntry &entry, std::vector<std::string> &errors)
{
    std::string given;
    std::string missing;
    for (const char *column : kAddressColumns) {
        std::string &list = Cell(row, column) != nullptr ? given : missing;
        list += (list.empty() ? "" : " ") + std::string(column);
    }
    if (given.empty()) {
        return true;
    }
    if (!missing.empty()) {
        errors.push_back(row.where + ": a static setting needs ip, mask and gateway; missing " + missing);
        return false;
    }
    const std::optional<uint32_t> ip = ParseIpv4(*Cell(row, "ip"));
    const std::optional<uint32_t> mask = ParseIpv4(*Cell(row, "mask"));
    const std::optional<uint32_t> gateway = ParseIpv4(*Cell(row, "gateway"));
    bool ok = true;
    if (!ip) {
        errors.push_back(row.where + ": ip '" + *Cell(row, "ip") + "' is not an IPv4 address");
        ok = false;
    }
    if (!mask || !IsContiguousMask(*mask)) {
        errors.push_back(row.where + ": mask '" + *Cell(row, "mask") + "' is not a subnet mask such as 255.255.255.0");
        ok = false;
    }
    if (!gateway) {
        errors.push_back(row.where + ": gateway '" + *Cell(row, "gateway") + "' is not an IPv4 address");
        ok = false;
    }
    if (ok) {
        entry.request = Request::Static;
        entry.setting = {*ip, *mask, *gateway};
    }
    return ok;
}

} // namespace

std::vector<PlanEntry> ValidatePlan(std::vector<PlanRow> rows, std::vector<std::string> &errors)
{
    const size_t errorsBefore = errors.size();
    std::vector<PlanEntry> entries;
    std::map<MacAddress, std::string> listed;
    for (PlanRow &row : rows) {
        PlanEntry entry;
        entry.where = row.where;
        entry.password = std::move(row.password);
        const std::string *macCell = Cell(row, "mac");
        const std::optional<MacAddress> mac = macCell != nullptr ? ParseMac(*macCell) : std::nullopt;
        if (macCell == nullptr) {
            errors.push_back(row.where + ": no mac");
        } else if (!mac || IsAllDevicesAddress(*mac)) {
            errors.push_back(row.where + ": mac '" + *macCell + "' is not the MAC address of one device");
        } else if (listed.count(*mac) != 0) {
            errors.push_back(row.where + ": " + FormatMac(mac->data()) + " is listed already, on " + listed[*mac]);
        } else {
            listed[*mac] = row.where;
            entry.mac = *mac;
        }
        std::optional<bool> dhcp;
        if (!ReadDhcp(row, dhcp, errors)) {
            continue;
        }
        // With DHCP on, the address columns are what the device has now.
        if (dhcp.value_or(false)) {
            entry.request = Request::Dhcp;
        } else if (!ReadStatic(row, entry, errors)) {
            continue;
        }
        entries.push_back(std::move(entry));
    }
    if (errors.size() != errorsBefore) {
        entries.clear();
    }
    return entries;
}

} // namespace kovr::common
