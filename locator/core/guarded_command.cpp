#include "locator/core/guarded_command.h"

#include "common/settings_change.h"
#include "locator/core/device_command.h"

namespace kovr::locator {

common::GuardOptions LocatorGuardOptions(std::shared_ptr<UiQuestion> question, TextId questionText,
                                         bool requireChallenge)
{
    common::GuardOptions options;
    options.requireDigest = requireChallenge;
    options.approvePlain = [question = std::move(question), questionText](const common::MacAddress &first) {
        return question->Ask({questionText, {common::PlainWarningText(first)}});
    };
    options.howToForget = [](const common::MacAddress &) { return std::string(EnglishText(TextId::HowToForgetPin)); };
    return options;
}

GuardedCommand::GuardedCommand(const LibrarySeam &library, KOVR_HANDLE session, const KOVRDeviceInfoRecord &device,
                               DevicePins &pins, common::GuardOptions options, TextId errorFormat)
    : library_(library), session_(session), mac_(MacOf(device)), pins_(pins), errorFormat_(errorFormat),
      known_(pins.Read()), guard_(GuardCallsOf(library), *known_, std::move(options))
{}

GuardedCommand::~GuardedCommand()
{
    pins_.Save(*known_);
}

bool GuardedCommand::Prepare(std::optional<Message> &failure)
{
    // A search's reply carries no challenge: only the device's answer to a
    // query for its own MAC shows whether it has one.
    KOVRDeviceInfoRecord reply{};
    const bool ask = guard_.WantsReply(mac_);
    if (ask && common::QueryDevice(DeviceCallsOf(library_), session_, mac_.data(), reply, common::Attempts{}) != 0) {
        failure = LastErrorMessage(library_, session_, errorFormat_);
        return false;
    }
    // Only a device not pinned is asked, so the verdict is Guarded or Plain;
    // for a pinned one, the library's guard tells an impostor (Finish).
    verdict_ = guard_.Decide(mac_, ask ? &reply : nullptr);
    if (verdict_ == common::Verdict::Plain && !guard_.ApprovePlain(mac_)) {
        return false;
    }
    if (!guard_.Arm(session_, verdict_)) {
        failure = LastErrorMessage(library_, session_, errorFormat_);
        return false;
    }
    return true;
}

common::ReplyTrust GuardedCommand::Trust() const
{
    return common::TrustAfter(verdict_);
}

std::optional<Message> GuardedCommand::Finish(bool took, int32_t result)
{
    if (took) {
        guard_.Took(mac_, verdict_);
        return std::nullopt;
    }
    if (const std::optional<common::Verdict> refusal = guard_.Refusal(session_, mac_, result)) {
        return Message{TextId::Verbatim, {guard_.Explain(*refusal, mac_)}};
    }
    return LastErrorMessage(library_, session_, errorFormat_);
}

} // namespace kovr::locator
