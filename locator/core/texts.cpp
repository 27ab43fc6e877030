#include "locator/core/texts.h"

#include "common/reboot_wait.h"

namespace kovr::locator {

namespace {

constexpr char kMain[] = "kovr::locator::LocatorDialog";
constexpr char kIp[] = "kovr::locator::IpSettingsDialog";
constexpr char kReboot[] = "kovr::locator::RebootDialog";
constexpr char kBatch[] = "kovr::locator::BatchDialog";

struct TextEntry {
    TextId id;
    const char *context;
    const char *english;
};

const TextEntry kTexts[] = {
    {TextId::Verbatim, kMain, "%1"},
    {TextId::DeviceColumnIp, kMain, "IP Address"},
    {TextId::DeviceColumnMac, kMain, "MAC Address"},
    {TextId::DeviceColumnName, kMain, "Name"},
    {TextId::DeviceColumnProduct, kMain, "Product"},
    {TextId::Searching, kMain, "Searching..."},
    {TextId::NoDevicesFound, kMain, "No devices found."},
    {TextId::NoDeviceSelected, kMain, "No device is selected.\n"},
    {TextId::ConflictAdvice, kMain, "Use Configure IP Settings to change it."},
    {TextId::MenuCopyIpAddress, kMain, "Copy IP Address"},
    {TextId::MenuCopyMacAddress, kMain, "Copy MAC Address"},
    {TextId::MenuCopyRow, kMain, "Copy Row"},
    {TextId::MenuOpenWebPage, kMain, "Open Web Page"},
    {TextId::MenuConfigureIpSettings, kMain, "Configure IP Settings"},
    {TextId::MenuDeviceInfo, kMain, "Device Info"},
    {TextId::MenuRebootDevice, kMain, "Reboot Device"},
    {TextId::MenuConfigureSelectedDevices, kMain, "Configure Selected Devices..."},
    {TextId::MenuApplyPlan, kMain, "Apply Plan..."},
    {TextId::MenuForgetPin, kMain, "Forget Pin"},
    {TextId::MenuSaveListAs, kMain, "Save List As..."},
    // Keys as a menu shows them, and as Qt reads them.
    {TextId::ShortcutConfigureSelectedDevices, kMain, "Ctrl+Shift+C"},
    {TextId::ShortcutApplyPlan, kMain, "Ctrl+O"},
    {TextId::SaveListAsTitle, kMain, "Save List As"},
    {TextId::CsvFileFilter, kMain, "CSV files (*.csv);;All files (*)"},
    {TextId::ApplyPlanTitle, kMain, "Apply Plan"},
    {TextId::PlanFileFilter, kMain, "Plans (*.csv *.json);;All files (*)"},
    {TextId::ListNotSaved, kMain, "The list could not be saved to %1:\n%2\n"},
    {TextId::PlanRefused, kMain, "The plan %1 can't be used, and nothing was sent:\n%2\n"},
    {TextId::PlanNamesNoDevice, kMain, "it names no device"},
    {TextId::PlanDeviceNotListed, kMain, "%1: %2 is not in the list; search again, or take it out of the plan"},
    {TextId::PinsNotSaved, kMain,
     "A device seen offering a challenge was not pinned, so a later command won't know it offered one:\n%1\n"},
    {TextId::PinNotForgotten, kMain, "The pin of %1 was not forgotten:\n%2\n"},
    // Completes the guard's sentence about an impostor, which is English.
    {TextId::HowToForgetPin, kMain, "choose Forget Pin in its row's menu and try again"},
    {TextId::PlainPasswordQuestion, kMain, "%1\n\nSend the password anyway?"},
    {TextId::IpSettingsError, kIp, "An Error occurred.\nError Number: %1\nError Message: %2\n"},
    {TextId::RebootProductLine, kReboot, "Product Name:\t%1"},
    {TextId::RebootMacLine, kReboot, "MAC Address:    %1"},
    // "occured" is how this message has always read.
    {TextId::RebootError, kReboot,
     "An Error occured while rebooting the device.\nError Number: %1\nError Message: %2\n"},
    {TextId::StatusRebooting, kReboot, nullptr},
    {TextId::StatusReady, kReboot, nullptr},
    {TextId::StatusTimedOut, kReboot, nullptr},
    {TextId::BatchSelectedTitle, kBatch, "Configure Selected Devices"},
    {TextId::BatchSelectedSummary, kBatch,
     "Selected devices: %1. They all get DHCP, or each an address of its own from a range."},
    {TextId::BatchPlanTitle, kBatch, "Apply Plan"},
    {TextId::BatchPlanSummary, kBatch, "Devices in the plan %1: %2."},
    {TextId::BatchDhcpChoice, kBatch, "Obtain the network settings via &DHCP"},
    {TextId::BatchRangeChoice, kBatch, "Give each device a static address from a &range"},
    {TextId::BatchFirstAddress, kBatch, "&First address:"},
    {TextId::BatchSubnetMask, kBatch, "Subnet &mask:"},
    {TextId::BatchGateway, kBatch, "&Gateway:"},
    {TextId::BatchPassword, kBatch, "&Password:"},
    {TextId::BatchPlanPassword, kBatch, "&Password (where the plan has none):"},
    {TextId::BatchRequireChallenge, kBatch, "Require a &challenge: send no password in plain"},
    {TextId::BatchPlainPasswordQuestion, kBatch,
     "%1\n\nSend the password anyway, to this device and to every other one in this run that offers no "
     "challenge?"},
    {TextId::BatchProblem, kBatch, "Problem"},
    {TextId::BatchPreview, kBatch, "Pre&view:"},
    {TextId::BatchColumnMac, kBatch, "MAC Address"},
    {TextId::BatchColumnName, kBatch, "Name"},
    {TextId::BatchColumnCurrent, kBatch, "Current Setting"},
    {TextId::BatchColumnNew, kBatch, "New Setting"},
    {TextId::BatchColumnStatus, kBatch, "Status"},
    {TextId::BatchProgress, kBatch, "Progress"},
    {TextId::BatchOutcome, kBatch, "Outcome"},
    {TextId::BatchApply, kBatch, "&Apply"},
    {TextId::BatchSaveCsv, kBatch, "&Save as CSV..."},
    {TextId::BatchCancel, kBatch, "Cancel"},
    {TextId::BatchClose, kBatch, "Close"},
    {TextId::BatchUnchanged, kBatch, "(unchanged)"},
    {TextId::BatchNothingToSend, kBatch, "nothing to send"},
    {TextId::BatchReady, kBatch, "ready"},
    {TextId::BatchWaiting, kBatch, "waiting"},
    {TextId::BatchApplying, kBatch, "Applying..."},
    {TextId::BatchStopping, kBatch, "Stopping once the devices in hand are done..."},
    {TextId::BatchBlockedByError, kBatch, "Apply stays off while a device is marked as an error: %1"},
    {TextId::PasswordTooLong, kBatch, "The password is longer than %1 bytes.\n"},
    {TextId::BatchSaveCsvTitle, kBatch, "Save as CSV"},
    {TextId::BatchOutcomesNotSaved, kBatch, "The outcomes could not be saved to %1:\n%2\n"},
    {TextId::RangeMaskNotContiguous, kBatch,
     "The subnet mask %1 is not contiguous: its ones must all come first, as in 255.255.255.0."},
    {TextId::RangeFirstOutsideSubnet, kBatch,
     "%1 is not a device address in %2; choose a first address between %3 and %4."},
    {TextId::RangeTooFewAddresses, kBatch,
     "From %1 to the end of %2 only %3 addresses are free, and %4 devices need one; "
     "choose a lower first address or a wider subnet mask."},
};

const TextEntry &Entry(TextId id)
{
    for (const TextEntry &entry : kTexts) {
        if (entry.id == id) {
            return entry;
        }
    }
    // Every id has its entry, which the tests check.
    return kTexts[0];
}

} // namespace

const char *TextContext(TextId id)
{
    return Entry(id).context;
}

const char *EnglishText(TextId id)
{
    // The reboot's status lines read as kovr reboot prints them.
    switch (id) {
    case TextId::StatusRebooting:
        return common::kRebootingStatus;
    case TextId::StatusReady:
        return common::RebootStatusText(common::RebootOutcome::Ready);
    case TextId::StatusTimedOut:
        return common::RebootStatusText(common::RebootOutcome::TimedOut);
    default:
        return Entry(id).english;
    }
}

std::string Fill(const std::string &text, const std::vector<std::string> &args)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const bool placeholder = text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9';
        const size_t index = placeholder ? static_cast<size_t>(text[at + 1] - '1') : 0;
        if (placeholder && index < args.size()) {
            out += args[index];
            ++at;
        } else {
            out += text[at];
        }
    }
    return out;
}

std::string English(const Message &message)
{
    return Fill(EnglishText(message.id), message.args);
}

} // namespace kovr::locator
