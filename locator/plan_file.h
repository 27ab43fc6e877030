#pragma once

#include "common/plan.h"

#include <kovr/kovr.h>

#include <QString>

#include <cstddef>
#include <vector>

namespace kovr::locator {

// A plan file as `kovr apply` reads it, checked whole and matched to the
// devices of the list: each entry with the position of its device. On any
// fault, no entries and a message naming every fault (by line or JSON
// index), so that nothing is sent.
struct ListPlan {
    std::vector<common::PlanEntry> entries;
    std::vector<size_t> positions;
    QString error;
};
ListPlan LoadPlanFile(const QString &path, const std::vector<KOVRDeviceInfoRecord> &list);

} // namespace kovr::locator
