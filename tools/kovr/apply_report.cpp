#include "tools/kovr/apply_report.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/record_json.h"

#include <algorithm>

namespace kovr::cli {

namespace {

nlohmann::ordered_json SettingJson(const common::DeviceSettings &setting)
{
    if (setting.dhcp) {
        return {{"dhcp", true}};
    }
    return {{"dhcp", false},
            {"ip", FormatIpv4(setting.ip)},
            {"mask", FormatIpv4(setting.mask)},
            {"gateway", FormatIpv4(setting.gateway)}};
}

} // namespace

void WriteApplyReport(std::ostream &out, const std::vector<DeviceReport> &reports)
{
    for (const DeviceReport &report : reports) {
        out << FormatMac(report.mac.data()) << "  " << OutcomeName(report.outcome);
        if (report.outcome == Outcome::Unchanged) {
            out << "  " << common::SettingText(report.before);
        } else if (report.outcome != Outcome::NotFound) {
            out << "  " << common::SettingText(report.before) << " -> " << common::SettingText(report.after);
        }
        out << (report.detail.empty() ? "" : ", " + report.detail) << '\n';
    }
    out << common::ApplySummary(reports) << '\n';
}

void WriteApplyJson(std::ostream &out, const std::vector<DeviceReport> &reports)
{
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const DeviceReport &report : reports) {
        nlohmann::ordered_json device = {{"mac", FormatMac(report.mac.data())},
                                         {"outcome", OutcomeName(report.outcome)}};
        if (report.outcome != Outcome::NotFound) {
            device["before"] = SettingJson(report.before);
            device["after"] = SettingJson(report.after);
        }
        device["verified"] = report.outcome == Outcome::Verified;
        if (!report.detail.empty()) {
            device["detail"] = report.detail;
        }
        devices.push_back(device);
    }
    nlohmann::ordered_json summary;
    for (const auto &[outcome, count] : common::OutcomeCounts(reports)) {
        std::string key = OutcomeName(outcome);
        std::replace(key.begin(), key.end(), ' ', '-');
        summary[key] = count;
    }
    out << JsonText({{"devices", devices}, {"summary", summary}}) << '\n';
}

int ApplyExitStatus(const std::vector<DeviceReport> &reports)
{
    const bool allHold = std::none_of(reports.begin(), reports.end(),
                                      [](const DeviceReport &report) { return common::IsBadOutcome(report.outcome); });
    return allHold ? kExitSuccess : kExitFailure;
}

} // namespace kovr::cli
