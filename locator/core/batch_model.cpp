#include "locator/core/batch_model.h"

#include "common/device_csv.h"
#include "common/mac_address_text.h"
#include "locator/core/batch_preview.h"
#include "locator/core/guarded_command.h"
#include "locator/core/record_text.h"

#include <algorithm>
#include <iterator>

namespace kovr::locator {

// What the worker owns: the entries with their passwords, the devices as
// the list has them, the one password and the flag that stops it between
// devices. Shared, so that it lives as long as the worker needs it.
struct BatchModel::Job {
    std::vector<common::PlanEntry> entries;
    std::vector<KOVRDeviceInfoRecord> found;
    std::unique_ptr<common::Password> password;
    std::atomic<bool> stop{false};
};

BatchModel::BatchModel(const LibrarySeam &library, BatchDevices devices, std::vector<size_t> positions,
                       std::shared_ptr<DevicePins> pins, PostToUi post, Confirm confirm)
    : library_(library), devices_(std::move(devices)), positions_(std::move(positions)), pins_(std::move(pins)),
      post_(post), question_(UiQuestion::Make(std::move(post), std::move(confirm))), preview_(positions_.size())
{
    for (size_t i = 0; i < positions_.size(); ++i) {
        const KOVRDeviceInfoRecord &record = DeviceAt(i);
        preview_[i].mac = FormatMacAddress(record.macAddress);
        preview_[i].name = RecordText(record.deviceName);
        preview_[i].current = common::SettingText(common::SettingsOf(record));
    }
}

BatchModel::~BatchModel()
{
    lifetime_.End();
    // A worker waiting for an answer would never be joined.
    question_->Cancel();
    if (worker_.joinable()) {
        job_->stop = true;
        worker_.join();
    }
}

void BatchModel::SetEntries(std::vector<common::PlanEntry> entries)
{
    if (applying_ || Applied()) {
        return;
    }
    entries_ = std::move(entries);
    blocker_.reset();
    UpdatePreview();
}

void BatchModel::SetProblem(const Message &problem)
{
    if (applying_ || Applied()) {
        return;
    }
    entries_.clear();
    blocker_ = problem;
    UpdatePreview();
}

void BatchModel::UpdatePreview()
{
    const bool known = entries_.size() == positions_.size();
    std::vector<common::DeviceSettings> wanted;
    for (size_t i = 0; known && i < positions_.size(); ++i) {
        wanted.push_back(common::WantedSettings(entries_[i], common::SettingsOf(DeviceAt(i))));
    }
    const std::vector<PreviewMark> marks = known
                                               ? PreviewMarks(devices_.list, positions_, wanted, devices_.localSubnets)
                                               : std::vector<PreviewMark>(positions_.size());
    for (size_t i = 0; i < positions_.size(); ++i) {
        PreviewRow &row = preview_[i];
        const PreviewMark &mark = marks[i];
        row.marked = !mark.text.empty();
        row.error = mark.error;
        if (!known) {
            row.change = {TextId::Verbatim, {""}};
            row.status = {TextId::Verbatim, {""}};
            continue;
        }
        const bool unchanged = common::Holds(common::SettingsOf(DeviceAt(i)), wanted[i]);
        row.change =
            unchanged ? Message{TextId::BatchUnchanged} : Message{TextId::Verbatim, {common::SettingText(wanted[i])}};
        row.status = row.marked  ? Message{TextId::Verbatim, {mark.text}}
                     : unchanged ? Message{TextId::BatchNothingToSend}
                                 : Message{TextId::BatchReady};
        if (mark.error && !blocker_) {
            blocker_ = Message{TextId::BatchBlockedByError, {mark.text}};
        }
    }
}

bool BatchModel::NeedsSharedPassword() const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const common::PlanEntry &entry) { return entry.password == nullptr; });
}

bool BatchModel::Apply(std::unique_ptr<common::Password> shared, Listener listener)
{
    if (applying_ || Applied() || blocker_ || entries_.size() != positions_.size()) {
        return false;
    }
    auto job = std::make_shared<Job>();
    job->entries = std::move(entries_);
    entries_.clear();
    for (size_t i = 0; i < positions_.size(); ++i) {
        job->found.push_back(DeviceAt(i));
    }
    job->password = std::move(shared);
    job_ = job;
    applying_ = true;

    auto reported = lifetime_.Guard(listener.reported);
    auto ended = lifetime_.Guard([this, tell = listener.ended](const std::vector<common::DeviceReport> &reports) {
        worker_.join();
        job_.reset();
        applying_ = false;
        reports_ = reports;
        tell();
    });
    common::GuardOptions options =
        LocatorGuardOptions(question_, TextId::BatchPlainPasswordQuestion, requireChallenge_);
    worker_ = std::thread([job, post = post_, calls = ApplyCallsOf(library_), guardCalls = GuardCallsOf(library_),
                           pins = pins_, options = std::move(options), reported, ended]() mutable {
        const std::unique_ptr<common::KnownDevices> known = pins->Read();
        common::CommandGuard guard(guardCalls, *known, std::move(options));
        common::ApplySettings settings;
        settings.guard = &guard;
        settings.sharedPassword = job->password.get();
        settings.stop = &job->stop;
        settings.onReport = [&post, reported](size_t index, const common::DeviceReport &report) {
            post([reported, index, report]() mutable { reported(index, report); });
        };
        auto reports = std::make_shared<std::vector<common::DeviceReport>>(
            common::ApplyPlan(calls, job->entries, job->found, settings));
        job->password.reset();
        pins->Save(*known);
        post([ended, reports]() mutable { ended(*reports); });
    });
    return true;
}

void BatchModel::Stop()
{
    if (job_) {
        job_->stop = true;
    }
}

std::string BatchModel::Summary() const
{
    return common::ApplySummary(reports_);
}

std::string BatchModel::OutcomesCsv() const
{
    std::string csv = "mac,name,outcome,before,after,detail\n";
    for (size_t i = 0; i < reports_.size() && i < positions_.size(); ++i) {
        const common::DeviceReport &report = reports_[i];
        const std::string cells[] = {
            common::FormatMac(report.mac.data()), common::Printable(common::FieldText(DeviceAt(i).deviceName)),
            common::OutcomeName(report.outcome),  common::SettingText(report.before),
            common::SettingText(report.after),    common::Printable(report.detail)};
        for (size_t cell = 0; cell < std::size(cells); ++cell) {
            csv += (cell ? "," : "") + common::CsvField(cells[cell]);
        }
        csv += '\n';
    }
    return csv;
}

std::string OutcomeCell(const common::DeviceReport &report)
{
    const std::string outcome = common::OutcomeName(report.outcome);
    return report.detail.empty() ? outcome : outcome + ": " + common::DisplayText(report.detail);
}

} // namespace kovr::locator
