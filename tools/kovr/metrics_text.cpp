#include "tools/kovr/metrics_text.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/prometheus_text.h"
#include "tools/kovr/record_fields.h"

#include "common/dhcp_mode.h"

#include <map>

namespace kovr::cli {

namespace {

std::string NameOf(const InterfaceNames &names, uint32_t address)
{
    const auto name = names.find(address);
    return name != names.end() ? name->second : std::string();
}

void WriteDeviceCounts(PrometheusText &out, const std::vector<KOVRDeviceInfoRecord> &devices,
                       const std::vector<common::LocalSubnet> &interfaces, const InterfaceNames &names)
{
    std::map<uint32_t, size_t> counts;
    for (const common::LocalSubnet &subnet : interfaces) {
        counts[subnet.address] = 0;
    }
    for (const KOVRDeviceInfoRecord &record : devices) {
        ++counts[record.interfaceAddress];
    }
    out.StartGauge("kovr_devices",
                   "Devices that answered the search, by the local address (and its interface) they answered through.");
    for (const auto &[address, count] : counts) {
        out.AddSample({{"address", FormatIpv4(address)}, {"interface", NameOf(names, address)}},
                      static_cast<double>(count));
    }
}

void WriteDeviceInfo(PrometheusText &out, const std::vector<KOVRDeviceInfoRecord> &devices, const InterfaceNames &names)
{
    out.StartGauge("kovr_device_info", "A device that answered the search, with its settings as labels; always 1.");
    for (const KOVRDeviceInfoRecord &record : devices) {
        out.AddSample({{"mac", FormatMac(record.macAddress)},
                       {"ip", FormatIpv4(record.ipAddress)},
                       {"mask", FormatIpv4(record.subnetMask)},
                       {"gateway", FormatIpv4(record.gatewayAddress)},
                       {"name", FieldText(record.deviceName)},
                       {"product", FieldText(record.productName)},
                       {"dhcp", common::IsDhcpOn(record) ? "true" : "false"},
                       {"address", FormatIpv4(record.interfaceAddress)},
                       {"interface", NameOf(names, record.interfaceAddress)}},
                      1);
    }
}

void WriteProblems(PrometheusText &out, const std::vector<KOVRDeviceInfoRecord> &devices,
                   const std::vector<common::Problem> &problems)
{
    out.StartGauge("kovr_device_problem", "A configuration problem of one device; always 1.");
    std::map<common::ProblemKind, size_t> counts;
    for (const common::Problem &problem : problems) {
        counts[problem.kind] += problem.devices.size();
        for (size_t position : problem.devices) {
            out.AddSample({{"mac", FormatMac(devices[position].macAddress)},
                           {"kind", common::ProblemKindName(problem.kind)},
                           {"severity", common::SeverityName(problem.severity)}},
                          1);
        }
    }
    // Every kind, so that an alert can compare a count with 0.
    out.StartGauge("kovr_problems", "Devices with each kind of configuration problem.");
    for (const common::ProblemKind kind : common::kProblemKinds) {
        out.AddSample(
            {{"kind", common::ProblemKindName(kind)}, {"severity", common::SeverityName(common::SeverityOf(kind))}},
            static_cast<double>(counts[kind]));
    }
}

} // namespace

std::string MetricsText(const SearchRun &run, const std::vector<KOVRDeviceInfoRecord> &devices,
                        const std::vector<common::Problem> &problems,
                        const std::vector<common::LocalSubnet> &interfaces, const InterfaceNames &names)
{
    PrometheusText out;
    if (run.succeeded) {
        WriteDeviceCounts(out, devices, interfaces, names);
        WriteDeviceInfo(out, devices, names);
        WriteProblems(out, devices, problems);
    }
    out.StartGauge("kovr_search_duration_seconds", "How long the search took.");
    out.AddSample({}, run.duration.count());
    out.StartGauge("kovr_search_success", "1 when the search ran, 0 when it failed.");
    out.AddSample({}, run.succeeded ? 1 : 0);
    out.StartGauge("kovr_last_run_timestamp_seconds", "When the search ended, in seconds since the Unix epoch.");
    out.AddSample({}, std::chrono::duration<double>(run.finished.time_since_epoch()).count());
    return out.text();
}

} // namespace kovr::cli
