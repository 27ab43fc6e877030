#ifndef KOVR_LOCATOR_CONFLICT_NOTES_H
#define KOVR_LOCATOR_CONFLICT_NOTES_H

#include "common/device_checks.h"

#include <QStringList>

#include <vector>

// For each device of the list, in list order, what keeps the user from
// reaching it and what to do about it: a shared address or an address
// outside every local subnet. Empty for a device without such a problem.
QStringList ConflictNotes(const std::vector<KOVRDeviceInfoRecord> &devices,
                          const std::vector<kovr::common::LocalSubnet> &localSubnets);

#endif
