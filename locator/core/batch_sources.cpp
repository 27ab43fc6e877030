#include "locator/core/batch_sources.h"

#include "common/mac_address_text.h"
#include "common/plan_file.h"
#include "common/printable_text.h"

#include <algorithm>
#include <cstring>

namespace kovr::locator {

namespace {

common::PlanEntry EntryFor(const KOVRDeviceInfoRecord &record, size_t index, common::Request request)
{
    common::PlanEntry entry;
    entry.where = "row " + std::to_string(index + 1);
    std::memcpy(entry.mac.data(), record.macAddress, entry.mac.size());
    entry.request = request;
    return entry;
}

} // namespace

std::vector<common::PlanEntry> DhcpEntries(const std::vector<KOVRDeviceInfoRecord> &list,
                                           const std::vector<size_t> &positions)
{
    std::vector<common::PlanEntry> entries;
    for (size_t i = 0; i < positions.size(); ++i) {
        entries.push_back(EntryFor(list[positions[i]], i, common::Request::Dhcp));
    }
    return entries;
}

RangeEntries EntriesFromRange(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                              const std::vector<size_t> &positions)
{
    RangeEntries result;
    const RangeAssignment assigned = AssignAddresses(range, list, positions);
    result.error = assigned.error;
    for (size_t i = 0; i < assigned.addresses.size(); ++i) {
        common::PlanEntry entry = EntryFor(list[positions[i]], i, common::Request::Static);
        entry.setting = {assigned.addresses[i], range.mask, range.gateway};
        result.entries.push_back(std::move(entry));
    }
    return result;
}

void ChooseRange(BatchModel &model, const std::optional<AddressRange> &range)
{
    const std::vector<KOVRDeviceInfoRecord> &list = model.Devices().list;
    if (!range) {
        model.SetEntries(DhcpEntries(list, model.Positions()));
        return;
    }
    RangeEntries entries = EntriesFromRange(*range, list, model.Positions());
    if (entries.error) {
        model.SetProblem(entries.error->Text(*range));
    } else {
        model.SetEntries(std::move(entries.entries));
    }
}

ListPlan LoadPlanForList(const std::string &path, const std::vector<KOVRDeviceInfoRecord> &list)
{
    common::PlanFile file = common::LoadPlanFile(path);
    std::vector<std::string> faults;
    for (const std::string &fault : file.faults) {
        faults.push_back(common::DisplayText(fault));
    }
    if (faults.empty() && file.entries.empty()) {
        faults.push_back(English({TextId::PlanNamesNoDevice}));
    }
    ListPlan plan;
    for (const common::PlanEntry &entry : file.entries) {
        const auto device = std::find_if(list.begin(), list.end(), [&](const KOVRDeviceInfoRecord &record) {
            return std::memcmp(record.macAddress, entry.mac.data(), entry.mac.size()) == 0;
        });
        if (device == list.end()) {
            faults.push_back(English({TextId::PlanDeviceNotListed,
                                      {common::DisplayText(entry.where), common::FormatMac(entry.mac.data())}}));
        } else {
            plan.positions.push_back(static_cast<size_t>(device - list.begin()));
        }
    }
    if (!faults.empty()) {
        std::string joined;
        for (const std::string &fault : faults) {
            joined += (joined.empty() ? "" : "\n") + fault;
        }
        plan.positions.clear();
        plan.error = Message{TextId::PlanRefused, {common::DisplayText(path), joined}};
        return plan;
    }
    plan.entries = std::move(file.entries);
    return plan;
}

} // namespace kovr::locator
