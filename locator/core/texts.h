// Every text the locator shows that isn't a device's own: one table of
// stable ids with their English texts and the translation context (the
// qualified name of the window that shows them). The core hands texts to a
// face as a Message, an id with the values for its %1, %2, ...; each face
// translates the template its own way and fills it in with Fill.
#pragma once

#include <string>
#include <vector>

namespace kovr::locator {

enum class TextId {
    Verbatim, // "%1": a text the core has made whole, such as a device's problem
    // main window
    DeviceColumnIp,
    DeviceColumnMac,
    DeviceColumnName,
    DeviceColumnProduct,
    Searching,
    NoDevicesFound,
    NoDeviceSelected,
    ConflictAdvice,
    MenuCopyIpAddress,
    MenuCopyMacAddress,
    MenuCopyRow,
    MenuOpenWebPage,
    MenuConfigureIpSettings,
    MenuDeviceInfo,
    MenuRebootDevice,
    MenuConfigureSelectedDevices,
    MenuApplyPlan,
    MenuForgetPin,
    MenuSaveListAs,
    ShortcutConfigureSelectedDevices,
    ShortcutApplyPlan,
    SaveListAsTitle,
    CsvFileFilter,
    ApplyPlanTitle,
    PlanFileFilter,
    ListNotSaved,
    PlanRefused,
    PlanNamesNoDevice,
    PlanDeviceNotListed,
    PinsNotSaved,
    PinNotForgotten,
    HowToForgetPin,
    PlainPasswordQuestion,
    // IP settings dialog
    IpSettingsError,
    // reboot dialog
    RebootProductLine,
    RebootMacLine,
    RebootError,
    StatusRebooting,
    StatusReady,
    StatusTimedOut,
    // batch dialog
    BatchSelectedTitle,
    BatchSelectedSummary,
    BatchPlanTitle,
    BatchPlanSummary,
    BatchDhcpChoice,
    BatchRangeChoice,
    BatchFirstAddress,
    BatchSubnetMask,
    BatchGateway,
    BatchPassword,
    BatchPlanPassword,
    BatchRequireChallenge,
    BatchPlainPasswordQuestion,
    BatchProblem,
    BatchPreview,
    BatchColumnMac,
    BatchColumnName,
    BatchColumnCurrent,
    BatchColumnNew,
    BatchColumnStatus,
    BatchProgress,
    BatchOutcome,
    BatchApply,
    BatchSaveCsv,
    BatchCancel,
    BatchClose,
    BatchUnchanged,
    BatchNothingToSend,
    BatchReady,
    BatchWaiting,
    BatchApplying,
    BatchStopping,
    BatchBlockedByError,
    PasswordTooLong,
    BatchSaveCsvTitle,
    BatchOutcomesNotSaved,
    RangeMaskNotContiguous,
    RangeFirstOutsideSubnet,
    RangeTooFewAddresses,
};

// A text to show: the template of `id` filled with `args`.
struct Message {
    Message() = default;
    Message(TextId text, std::vector<std::string> values = {}) : id(text), args(std::move(values)) {}

    TextId id = TextId::Verbatim;
    std::vector<std::string> args;

    bool operator==(const Message &other) const { return id == other.id && args == other.args; }
};

// The translation context and the English template of a text.
const char *TextContext(TextId id);
const char *EnglishText(TextId id);

// `text` with %1 to %9 replaced by args[0] to args[8], in one pass, so that
// a value holding "%2" stays as it is.
std::string Fill(const std::string &text, const std::vector<std::string> &args);

// The message in English, for the faces that don't translate and for tests.
std::string English(const Message &message);

} // namespace kovr::locator
