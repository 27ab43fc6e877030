#include "locator/plan_file.h"

#include "common/printable_text.h"
#include "discovery/platform/secure_zero.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <string>

namespace kovr::locator {

namespace {

// Far beyond any plan for a network's devices; a larger file is a mistake.
constexpr qint64 kMaxPlanBytes = 16 * 1024 * 1024;

QString Tr(const char *text)
{
    return QCoreApplication::translate("kovr::locator::LocatorDialog", text);
}

ListPlan Refused(const QString &path, const QStringList &faults)
{
    ListPlan plan;
    plan.error = Tr("The plan %1 can't be used, and nothing was sent:\n").arg(path) + faults.join(QLatin1Char('\n')) +
                 QLatin1Char('\n');
    return plan;
}

QString Text(const std::string &text)
{
    return QString::fromStdString(common::Printable(text));
}

// The file's bytes, read straight into a buffer that is wiped after use,
// since a plan may hold passwords.
bool ReadPlanRows(QFile &file, std::vector<common::PlanRow> &rows, QString &fault)
{
    if (!file.open(QIODevice::ReadOnly)) {
        fault = file.errorString();
        return false;
    }
    if (file.size() > kMaxPlanBytes) {
        fault = Tr("the file is larger than %1 MiB").arg(kMaxPlanBytes / (1024 * 1024));
        return false;
    }
    std::string text(static_cast<size_t>(file.size()), '\0');
    const bool read = file.read(text.data(), file.size()) == file.size();
    std::string error;
    const bool parsed = read && common::ReadPlanText(text, rows, error);
    platform::SecureZero(text.data(), text.size());
    if (!parsed) {
        fault = read ? Text(error) : file.errorString();
    }
    return parsed;
}

} // namespace

ListPlan LoadPlanFile(const QString &path, const std::vector<KOVRDeviceInfoRecord> &list)
{
    QFile file(path);
    std::vector<common::PlanRow> rows;
    QString fault;
    if (!ReadPlanRows(file, rows, fault)) {
        return Refused(path, {fault});
    }
    std::vector<std::string> errors;
    ListPlan plan;
    plan.entries = common::ValidatePlan(std::move(rows), errors);
    QStringList faults;
    for (const std::string &error : errors) {
        faults << Text(error);
    }
    if (faults.isEmpty() && plan.entries.empty()) {
        faults << Tr("it names no device");
    }
    const bool holdsPasswords = std::any_of(plan.entries.begin(), plan.entries.end(),
                                            [](const common::PlanEntry &entry) { return entry.password != nullptr; });
    if (holdsPasswords && (file.permissions() & (QFile::ReadGroup | QFile::ReadOther))) {
        faults << Tr("it holds passwords but other users may read it; make it private (chmod 600)");
    }
    for (const common::PlanEntry &entry : plan.entries) {
        const auto device = std::find_if(list.begin(), list.end(), [&](const KOVRDeviceInfoRecord &record) {
            return std::memcmp(record.macAddress, entry.mac.data(), entry.mac.size()) == 0;
        });
        if (device == list.end()) {
            faults << Tr("%1: %2 is not in the list; search again, or take it out of the plan")
                          .arg(Text(entry.where), Text(common::FormatMac(entry.mac.data())));
        } else {
            plan.positions.push_back(static_cast<size_t>(device - list.begin()));
        }
    }
    if (!faults.isEmpty()) {
        return Refused(path, faults);
    }
    return plan;
}

} // namespace kovr::locator
