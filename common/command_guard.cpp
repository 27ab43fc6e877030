#include "common/command_guard.h"

#include "common/failure_text.h"
#include "common/printable_text.h"

namespace kovr::common {

CommandGuard::CommandGuard(const GuardCalls &calls, KnownDevices &pins, GuardOptions options)
    : calls_(calls), pins_(pins), options_(std::move(options))
{}

bool CommandGuard::RequiresDigest() const
{
    return options_.requireDigest || !pins_.Distrust().empty();
}

bool CommandGuard::IsPinned(const MacAddress &mac) const
{
    return pins_.IsPinned(mac);
}

bool CommandGuard::WantsReply(const MacAddress &mac) const
{
    return !RequiresDigest() && !pins_.IsPinned(mac);
}

Verdict CommandGuard::Decide(const MacAddress &mac, const KOVRDeviceInfoRecord *reply)
{
    const bool challenged = reply != nullptr && OffersChallenge(*reply);
    if (pins_.IsPinned(mac)) {
        return reply != nullptr && !challenged ? Verdict::Impostor : Verdict::Guarded;
    }
    if (challenged) {
        pins_.Learn(mac);
        return Verdict::Guarded;
    }
    if (RequiresDigest()) {
        // Without a reply the library's own query tells, with the guard on.
        return reply != nullptr ? Verdict::RefusedPlain : Verdict::Guarded;
    }
    return Verdict::Plain;
}

bool CommandGuard::ApprovePlain(const MacAddress &mac)
{
    const std::lock_guard<std::mutex> lock(approvalMutex_);
    if (!approval_) {
        approval_ = !options_.approvePlain || options_.approvePlain(mac);
    }
    return *approval_;
}

bool CommandGuard::Arm(KOVR_HANDLE session, Verdict verdict) const
{
    const uint32_t policy = verdict == Verdict::Plain ? 0 : KOVR_POLICY_REQUIRE_CHALLENGE;
    return calls_.setCommandPolicy(session, policy) == 0;
}

void CommandGuard::Took(const MacAddress &mac, Verdict verdict)
{
    if (verdict == Verdict::Guarded) {
        pins_.Learn(mac);
    }
}

std::optional<Verdict> CommandGuard::Refusal(KOVR_HANDLE session, const MacAddress &mac, int32_t result) const
{
    // By the result and the number alone: a device answers 0 to 255 for
    // both, and may send the library's text as well as any other.
    if (result != KOVR_FAILED || calls_.getLastError(session) != KOVR_ERROR_NO_CHALLENGE) {
        return std::nullopt;
    }
    return pins_.IsPinned(mac) ? Verdict::Impostor : Verdict::RefusedPlain;
}

std::string CommandGuard::Explain(Verdict verdict, const MacAddress &mac) const
{
    const std::string name = FormatMac(mac.data());
    if (verdict == Verdict::Impostor) {
        const std::string forget =
            options_.howToForget ? options_.howToForget(mac) : std::string("forget its pin and try again");
        return name + " offered a challenge before and now answers without one: someone may be impersonating it, " +
               "so the password was not sent. If the device really changed, " + forget + ".";
    }
    if (verdict == Verdict::RefusedPlain) {
        const std::string why = options_.requireDigest ? "a digest is required"
                                                       : Printable(pins_.path()) + " " + pins_.Distrust() +
                                                             ", so it can't tell whether the device offered one before";
        return name + " offers no challenge, so its password would cross the network segment in clear; " + why +
               ", so the password was not sent.";
    }
    return {};
}

ReplyTrust TrustAfter(Verdict verdict)
{
    return verdict == Verdict::Plain ? ReplyTrust::AnyReply : ReplyTrust::ChallengedReply;
}

std::string PlainWarningText(const MacAddress &mac)
{
    return FormatMac(mac.data()) + " offers no challenge, so its password crosses the network segment in clear, " +
           "where any host on it can read it.";
}

} // namespace kovr::common
