#include "locator/core/dialog_template.h"

#include <iterator>

namespace kovr::locator {

namespace {

using K = ControlKind;
using namespace ControlId;

const ControlTemplate kLocatorControls[] = {
    {TasksLabel, K::Label, "Tasks:", 7, 7, 22, 8, NoFlags},
    // Part of the window but never shown; its command still works.
    {OpenWebInterface, K::PushButton, "&Open Web Interface", 7, 19, 80, 14, TabStop | Hidden},
    {ConfigureIpSettings, K::PushButton, "&Configure IP Settings", 7, 38, 80, 14, TabStop},
    {DeviceInfo, K::PushButton, "&Device Info", 7, 57, 80, 14, TabStop},
    {RebootDevice, K::PushButton, "Re&boot Device", 7, 76, 80, 14, TabStop},
    {RefreshList, K::PushButton, "&Refresh List", 7, 95, 80, 14, TabStop},
    {DeviceList, K::ListView, nullptr, 102, 19, 320, 160, TabStop},
    {Static, K::Label, "Devices:", 101, 7, 29, 8, NoFlags},
    {Cancel, K::PushButton, "Close", 8, 165, 80, 14, TabStop},
};

const ControlTemplate kIpSettingsControls[] = {
    {Static, K::Label,
     "Assign an IP Address, subnet mask and gateway to your device.  "
     "Contact your network administrator if you do not know this information.",
     7, 7, 179, 23, NoFlags},
    {Static, K::Label, "Product:", 13, 38, 42, 11, NoFlags},
    {ProductText, K::Label, "<product>", 94, 38, 92, 8, NoFlags},
    {Static, K::Label, "MAC Address:", 13, 52, 60, 11, NoFlags},
    {MacText, K::Label, "<mac address>", 94, 51, 93, 8, NoFlags},
    // Frames the manual fields; its top edge runs through the second radio button.
    {Static, K::GroupBox, "", 7, 81, 179, 74, NoFlags},
    // The radio group is one tab stop, held by the checked button; the
    // arrow keys move within it.
    {DhcpRadio, K::RadioButton, "Automatically obtain network settings via DHCP", 13, 67, 165, 10, TabStop},
    {ManualRadio, K::RadioButton, "Manually configure network settings", 13, 81, 129, 10, NoFlags},
    {Static, K::Label, "IP Address:", 13, 99, 37, 8, NoFlags},
    {IpAddress, K::AddressControl, nullptr, 79, 95, 100, 15, TabStop},
    {Static, K::Label, "Subnet Mask:", 13, 118, 45, 8, NoFlags},
    {SubnetMask, K::AddressControl, nullptr, 79, 113, 100, 15, TabStop},
    {Static, K::Label, "Default Gateway", 13, 136, 54, 8, NoFlags},
    {Gateway, K::AddressControl, nullptr, 79, 131, 100, 15, TabStop},
    {Static, K::Label, "Password:", 13, 167, 34, 8, NoFlags},
    {Password, K::PasswordEdit, nullptr, 79, 162, 101, 14, TabStop},
    {Ok, K::DefaultPushButton, "Apply", 35, 182, 50, 14, TabStop},
    {Cancel, K::PushButton, "Cancel", 100, 182, 50, 14, TabStop},
};

const ControlTemplate kRebootControls[] = {
    {ProductLine, K::Label, "Device Name:", 7, 7, 129, 8, NoFlags},
    {MacLine, K::Label, "MAC Address:", 7, 18, 130, 8, NoFlags},
    {Static, K::Label, "Password:", 7, 36, 34, 8, NoFlags},
    {RebootPassword, K::PasswordEdit, nullptr, 47, 34, 89, 14, TabStop},
    {Status, K::Label, "Status: Rebooting", 41, 54, 61, 8, NoFlags},
    {Reboot, K::PushButton, "Reboot", 14, 70, 50, 14, TabStop},
    {Ok, K::PushButton, "Close", 79, 70, 50, 14, TabStop},
};

const ControlTemplate kDeviceInfoControls[] = {
    {Static, K::GroupBox, "Device Information", 7, 7, 199, 174, NoFlags},
    {Details, K::Label, "Device Details", 14, 21, 180, 158, NoFlags},
    {Ok, K::PushButton, "OK", 81, 188, 50, 14, TabStop},
};

// The batch dialog's texts are the text table's, which the Qt face shows
// too; the intro, the problem and the outcome are the window's to fill.
const char *Text(TextId id)
{
    return EnglishText(id);
}

const ControlTemplate kBatchSelectedControls[] = {
    {BatchIntro, K::Label, nullptr, 7, 7, 506, 16, NoFlags},
    {BatchDhcpRadio, K::RadioButton, Text(TextId::BatchDhcpChoice), 7, 26, 240, 10, TabStop},
    {BatchRangeRadio, K::RadioButton, Text(TextId::BatchRangeChoice), 7, 38, 240, 10, NoFlags},
    {Static, K::Label, Text(TextId::BatchFirstAddress), 19, 54, 135, 8, NoFlags},
    {BatchFirstAddress, K::AddressControl, nullptr, 160, 51, 100, 14, TabStop},
    {Static, K::Label, Text(TextId::BatchSubnetMask), 19, 71, 135, 8, NoFlags},
    {BatchSubnetMask, K::AddressControl, nullptr, 160, 68, 100, 14, TabStop},
    {Static, K::Label, Text(TextId::BatchGateway), 19, 88, 135, 8, NoFlags},
    {BatchGateway, K::AddressControl, nullptr, 160, 85, 100, 14, TabStop},
    {Static, K::Label, Text(TextId::BatchPassword), 7, 107, 150, 8, NoFlags},
    {BatchPassword, K::PasswordEdit, nullptr, 160, 104, 100, 14, TabStop},
    {BatchRequireChallenge, K::CheckBox, Text(TextId::BatchRequireChallenge), 160, 122, 233, 10, TabStop},
    {BatchProblem, K::Label, nullptr, 7, 138, 506, 24, NoFlags},
    {Static, K::Label, Text(TextId::BatchPreview), 7, 166, 60, 8, NoFlags},
    {BatchPreview, K::ListView, nullptr, 7, 176, 506, 110, TabStop},
    {BatchProgress, K::ProgressBar, nullptr, 7, 292, 506, 10, NoFlags},
    {BatchOutcome, K::Label, nullptr, 7, 306, 506, 8, NoFlags},
    {BatchApply, K::DefaultPushButton, Text(TextId::BatchApply), 333, 322, 50, 14, TabStop},
    {BatchSaveCsv, K::PushButton, Text(TextId::BatchSaveCsv), 388, 322, 70, 14, TabStop},
    {BatchClose, K::PushButton, Text(TextId::BatchCancel), 463, 322, 50, 14, TabStop},
};

// As above, without the choice: the plan says what each device gets.
const ControlTemplate kBatchPlanControls[] = {
    {BatchIntro, K::Label, nullptr, 7, 7, 506, 16, NoFlags},
    {Static, K::Label, Text(TextId::BatchPlanPassword), 7, 29, 150, 8, NoFlags},
    {BatchPassword, K::PasswordEdit, nullptr, 160, 26, 100, 14, TabStop},
    {BatchRequireChallenge, K::CheckBox, Text(TextId::BatchRequireChallenge), 160, 44, 233, 10, TabStop},
    {BatchProblem, K::Label, nullptr, 7, 60, 506, 24, NoFlags},
    {Static, K::Label, Text(TextId::BatchPreview), 7, 88, 60, 8, NoFlags},
    {BatchPreview, K::ListView, nullptr, 7, 98, 506, 110, TabStop},
    {BatchProgress, K::ProgressBar, nullptr, 7, 214, 506, 10, NoFlags},
    {BatchOutcome, K::Label, nullptr, 7, 228, 506, 8, NoFlags},
    {BatchApply, K::DefaultPushButton, Text(TextId::BatchApply), 333, 244, 50, 14, TabStop},
    {BatchSaveCsv, K::PushButton, Text(TextId::BatchSaveCsv), 388, 244, 70, 14, TabStop},
    {BatchClose, K::PushButton, Text(TextId::BatchCancel), 463, 244, 50, 14, TabStop},
};

} // namespace

const DeviceColumn kDeviceColumns[kDeviceColumnCount] = {
    {TextId::DeviceColumnIp, 110},
    {TextId::DeviceColumnMac, 110},
    {TextId::DeviceColumnName, 110},
    {TextId::DeviceColumnProduct, 129},
};

const DialogTemplate kLocatorTemplate = {
    "kovr::locator::LocatorDialog", "Korvel-Arden 7100-NT Locator", 429, 186, 8, kLocatorControls,
    std::size(kLocatorControls)};

const DialogTemplate kIpSettingsTemplate = {
    "kovr::locator::IpSettingsDialog", "Set IP Address", 193, 201, 8, kIpSettingsControls,
    std::size(kIpSettingsControls)};

const DialogTemplate kRebootTemplate = {"kovr::locator::RebootDialog", "Reboot Device", 143, 90, 8, kRebootControls,
                                        std::size(kRebootControls)};

const DialogTemplate kDeviceInfoTemplate = {
    "kovr::locator::DeviceInfoDialog", "Device Information", 213, 215, 8, kDeviceInfoControls,
    std::size(kDeviceInfoControls)};

const DialogTemplate kBatchSelectedTemplate = {
    "kovr::locator::BatchDialog", Text(TextId::BatchSelectedTitle), 520, 343, 8,
    kBatchSelectedControls,       std::size(kBatchSelectedControls)};

const DialogTemplate kBatchPlanTemplate = {"kovr::locator::BatchDialog", Text(TextId::BatchPlanTitle), 520, 265, 8,
                                           kBatchPlanControls,           std::size(kBatchPlanControls)};

} // namespace kovr::locator
