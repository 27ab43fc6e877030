#pragma once

#include "locator/core/texts.h"

#include <cstddef>

namespace kovr::locator {

// A dialog described as data: its caption, its size and its controls, with
// every position in dialog units. Each face turns a template into its own
// controls; the texts are English, translated in the template's context.

enum class ControlKind {
    Label,
    GroupBox,
    PushButton,
    DefaultPushButton,
    RadioButton,
    CheckBox,
    Edit,
    PasswordEdit,
    ListView,
    AddressControl,
    ProgressBar,
};

enum ControlFlag : unsigned {
    NoFlags = 0,
    // Reached by Tab. On the first of a run of radio buttons it makes the
    // run one tab stop, held by the checked button, with the arrow keys
    // moving within it.
    TabStop = 1u << 0,
    Hidden = 1u << 1,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *text; // English; translated in the template's context
    int x, y, width, height;
    unsigned flags;
};

struct DialogTemplate {
    const char *context; // translation context: the dialog's qualified class name
    const char *caption;
    int width, height;
    int pointSize;
    const ControlTemplate *controls; // in tab order
    size_t controlCount;
};

// Control ids, shared by the templates and the windows that handle them.
namespace ControlId {
enum : int {
    Static = -1,
    Ok = 1,
    Cancel = 2,
    // main window
    OpenWebInterface = 1001,
    ConfigureIpSettings = 1002,
    RefreshList = 1003,
    RebootDevice = 1005,
    DeviceInfo = 1006,
    TasksLabel = 1018,
    DeviceList = 1021,
    // IP settings
    IpAddress = 1022,
    SubnetMask = 1023,
    Gateway = 1024,
    Password = 1027,
    ProductText = 1028,
    MacText = 1029,
    DhcpRadio = 1037,
    ManualRadio = 1038,
    // reboot
    Status = 1032,
    RebootPassword = 1034,
    ProductLine = 1035,
    MacLine = 1036,
    Reboot = 1043,
    // device information
    Details = 1040,
    // Configure Selected Devices and Apply Plan. BatchApply is the default
    // button, not Ok: Wine gives the address controls' inner fields that
    // id, and Enter would find one of those. BatchClose stops an apply
    // (Cancel) and later closes (Close); Escape and the close box, which
    // also stop one, close once it has ended.
    BatchIntro = 1101,
    BatchDhcpRadio = 1102,
    BatchRangeRadio = 1103,
    BatchFirstAddress = 1104,
    BatchSubnetMask = 1105,
    BatchGateway = 1106,
    BatchPassword = 1107,
    BatchRequireChallenge = 1108,
    BatchProblem = 1109,
    BatchPreview = 1110,
    BatchProgress = 1111,
    BatchOutcome = 1112,
    BatchSaveCsv = 1113,
    BatchClose = 1114,
    BatchApply = 1115,
};
}

// The main window's device list: its columns in order, with their titles
// and widths in pixels.
struct DeviceColumn {
    TextId title;
    int width;
};
constexpr size_t kDeviceColumnCount = 4;
extern const DeviceColumn kDeviceColumns[kDeviceColumnCount];

extern const DialogTemplate kLocatorTemplate;    // 102
extern const DialogTemplate kIpSettingsTemplate; // 138
extern const DialogTemplate kRebootTemplate;     // 139
extern const DialogTemplate kDeviceInfoTemplate; // 140
// Configure Selected Devices, with the choice of DHCP or a range, and Apply
// Plan, which takes the plan's changes as they are; the texts that name
// the devices or the outcome are filled in by the window.
extern const DialogTemplate kBatchSelectedTemplate;
extern const DialogTemplate kBatchPlanTemplate;

} // namespace kovr::locator
