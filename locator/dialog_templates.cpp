#include "locator/dialog_template.h"

#include <QtGlobal>

#include <iterator>

namespace kovr::locator {

namespace {

using K = ControlKind;
using namespace ControlId;

#define LOCATOR_TEXT(text) QT_TRANSLATE_NOOP("kovr::locator::LocatorDialog", text)
const ControlTemplate kLocatorControls[] = {
    {TasksLabel, K::Label, LOCATOR_TEXT("Tasks:"), 7, 7, 22, 8, NoFlags},
    // Part of the window but never shown; its command still works.
    {OpenWebInterface, K::PushButton, LOCATOR_TEXT("&Open Web Interface"), 7, 19, 80, 14, TabStop | Hidden},
    {ConfigureIpSettings, K::PushButton, LOCATOR_TEXT("&Configure IP Settings"), 7, 38, 80, 14, TabStop},
    {DeviceInfo, K::PushButton, LOCATOR_TEXT("&Device Info"), 7, 57, 80, 14, TabStop},
    {RebootDevice, K::PushButton, LOCATOR_TEXT("Re&boot Device"), 7, 76, 80, 14, TabStop},
    {RefreshList, K::PushButton, LOCATOR_TEXT("&Refresh List"), 7, 95, 80, 14, TabStop},
    {DeviceList, K::ListView, nullptr, 102, 19, 320, 160, TabStop},
    {Static, K::Label, LOCATOR_TEXT("Devices:"), 101, 7, 29, 8, NoFlags},
    {Cancel, K::PushButton, LOCATOR_TEXT("Close"), 8, 165, 80, 14, TabStop},
};
#undef LOCATOR_TEXT

#define IP_TEXT(text) QT_TRANSLATE_NOOP("kovr::locator::IpSettingsDialog", text)
const ControlTemplate kIpSettingsControls[] = {
    {Static, K::Label,
     IP_TEXT("Assign an IP Address, subnet mask and gateway to your device.  "
             "Contact your network administrator if you do not know this information."),
     7, 7, 179, 23, NoFlags},
    {Static, K::Label, IP_TEXT("Product:"), 13, 38, 42, 11, NoFlags},
    {ProductText, K::Label, IP_TEXT("<product>"), 94, 38, 92, 8, NoFlags},
    {Static, K::Label, IP_TEXT("MAC Address:"), 13, 52, 60, 11, NoFlags},
    {MacText, K::Label, IP_TEXT("<mac address>"), 94, 51, 93, 8, NoFlags},
    // Frames the manual fields; its top edge runs through the second radio button.
    {Static, K::GroupBox, "", 7, 81, 179, 74, NoFlags},
    {DhcpRadio, K::RadioButton, IP_TEXT("Automatically obtain network settings via DHCP"), 13, 67, 165, 10, NoFlags},
    {ManualRadio, K::RadioButton, IP_TEXT("Manually configure network settings"), 13, 81, 129, 10, NoFlags},
    {Static, K::Label, IP_TEXT("IP Address:"), 13, 99, 37, 8, NoFlags},
    {IpAddress, K::AddressControl, nullptr, 79, 95, 100, 15, TabStop},
    {Static, K::Label, IP_TEXT("Subnet Mask:"), 13, 118, 45, 8, NoFlags},
    {SubnetMask, K::AddressControl, nullptr, 79, 113, 100, 15, TabStop},
    {Static, K::Label, IP_TEXT("Default Gateway"), 13, 136, 54, 8, NoFlags},
    {Gateway, K::AddressControl, nullptr, 79, 131, 100, 15, TabStop},
    {Static, K::Label, IP_TEXT("Password:"), 13, 167, 34, 8, NoFlags},
    {Password, K::PasswordEdit, nullptr, 79, 162, 101, 14, TabStop},
    {Ok, K::DefaultPushButton, IP_TEXT("Apply"), 35, 182, 50, 14, TabStop},
    {Cancel, K::PushButton, IP_TEXT("Cancel"), 100, 182, 50, 14, TabStop},
};
#undef IP_TEXT

#define REBOOT_TEXT(text) QT_TRANSLATE_NOOP("kovr::locator::RebootDialog", text)
const ControlTemplate kRebootControls[] = {
    {ProductLine, K::Label, REBOOT_TEXT("Device Name:"), 7, 7, 129, 8, NoFlags},
    {MacLine, K::Label, REBOOT_TEXT("MAC Address:"), 7, 18, 130, 8, NoFlags},
    {Static, K::Label, REBOOT_TEXT("Password:"), 7, 36, 34, 8, NoFlags},
    {RebootPassword, K::PasswordEdit, nullptr, 47, 34, 89, 14, TabStop},
    {Status, K::Label, REBOOT_TEXT("Status: Rebooting"), 41, 54, 61, 8, NoFlags},
    {Reboot, K::PushButton, REBOOT_TEXT("Reboot"), 14, 70, 50, 14, TabStop},
    {Ok, K::PushButton, REBOOT_TEXT("Close"), 79, 70, 50, 14, TabStop},
};
#undef REBOOT_TEXT

#define INFO_TEXT(text) QT_TRANSLATE_NOOP("kovr::locator::DeviceInfoDialog", text)
const ControlTemplate kDeviceInfoControls[] = {
    {Static, K::GroupBox, INFO_TEXT("Device Information"), 7, 7, 199, 174, NoFlags},
    {Details, K::Label, INFO_TEXT("Device Details"), 14, 21, 180, 158, NoFlags},
    {Ok, K::PushButton, INFO_TEXT("OK"), 81, 188, 50, 14, TabStop},
};
#undef INFO_TEXT

} // namespace

const DialogTemplate kLocatorTemplate = {
    "kovr::locator::LocatorDialog",
    QT_TRANSLATE_NOOP("kovr::locator::LocatorDialog", "Korvel-Arden 7100-NT Locator"),
    429,
    186,
    8,
    kLocatorControls,
    std::size(kLocatorControls)};

const DialogTemplate kIpSettingsTemplate = {"kovr::locator::IpSettingsDialog",
                                            QT_TRANSLATE_NOOP("kovr::locator::IpSettingsDialog", "Set IP Address"),
                                            193,
                                            201,
                                            8,
                                            kIpSettingsControls,
                                            std::size(kIpSettingsControls)};

const DialogTemplate kRebootTemplate = {"kovr::locator::RebootDialog",
                                        QT_TRANSLATE_NOOP("kovr::locator::RebootDialog", "Reboot Device"),
                                        143,
                                        90,
                                        8,
                                        kRebootControls,
                                        std::size(kRebootControls)};

const DialogTemplate kDeviceInfoTemplate = {"kovr::locator::DeviceInfoDialog",
                                            QT_TRANSLATE_NOOP("kovr::locator::DeviceInfoDialog", "Device Information"),
                                            213,
                                            215,
                                            8,
                                            kDeviceInfoControls,
                                            std::size(kDeviceInfoControls)};

} // namespace kovr::locator
