// Where the changes of Configure Selected Devices and Apply Plan come
// from: the selected devices, all to DHCP or each to an address of a range;
// or a plan file, matched to the devices of the list. Either way one plan
// entry per device, in the order of the batch's positions in the list.
#pragma once

#include "common/plan.h"
#include "locator/core/address_range.h"
#include "locator/core/batch_model.h"
#include "locator/core/texts.h"

#include <kovr/kovr.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

// Every device at `positions` to DHCP.
std::vector<common::PlanEntry> DhcpEntries(const std::vector<KOVRDeviceInfoRecord> &list,
                                           const std::vector<size_t> &positions);

// Every device at `positions` to an address of its own from the range; on a
// fault, no entries and the fault.
struct RangeEntries {
    std::vector<common::PlanEntry> entries;
    std::optional<RangeError> error;
};
RangeEntries EntriesFromRange(const AddressRange &range, const std::vector<KOVRDeviceInfoRecord> &list,
                              const std::vector<size_t> &positions);

// Configure Selected Devices' choice for the model: DHCP for all when there
// is no range, else the range's addresses, or what is wrong with the range.
void ChooseRange(BatchModel &model, const std::optional<AddressRange> &range);

// A plan file as kovr apply reads it, matched to the list: each entry with
// the position of its device. On any fault, no entries and a message
// naming every fault, so that nothing is sent.
struct ListPlan {
    std::vector<common::PlanEntry> entries;
    std::vector<size_t> positions;
    std::optional<Message> error;
};
ListPlan LoadPlanForList(const std::string &path, const std::vector<KOVRDeviceInfoRecord> &list);

} // namespace kovr::locator
