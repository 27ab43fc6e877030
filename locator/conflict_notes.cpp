#include "locator/conflict_notes.h"

#include <QCoreApplication>

namespace kovr::locator {

QStringList ConflictNotes(const std::vector<KOVRDeviceInfoRecord> &devices,
                          const std::vector<common::LocalSubnet> &localSubnets)
{
    using common::ProblemKind;
    QStringList notes;
    for (size_t i = 0; i < devices.size(); ++i) {
        notes << QString();
    }
    for (const common::Problem &problem : common::CheckDevices(devices, localSubnets)) {
        if (problem.kind != ProblemKind::DuplicateAddress && problem.kind != ProblemKind::Unreachable) {
            continue;
        }
        const QString note =
            QString::fromStdString(problem.message) + QLatin1Char('\n') +
            QCoreApplication::translate("kovr::locator::LocatorDialog", "Use Configure IP Settings to change it.");
        for (size_t position : problem.devices) {
            QString &text = notes[static_cast<int>(position)];
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + note;
        }
    }
    return notes;
}

} // namespace kovr::locator
