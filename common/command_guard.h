// Whether a password may leave for a device: the rule that kovr and the
// locator both follow around each password-protected command.
//
// - A pinned device (see known_devices.h) is commanded with the library's
//   guard on, so its password leaves only as a digest. When it answers
//   without a challenge, nothing is sent: someone may be impersonating it.
// - A device never seen with a challenge, that offers none, takes its
//   password in plain, which any host on the segment can read: the caller
//   warns (kovr) or asks (the locator) once per run, or, when a digest is
//   required, refuses.
// - A device whose reply carries a challenge, or that took a command made
//   with the guard on, is pinned from then on.
//
// Only a reply to a query for the device's own MAC (KOVRGetDeviceInfo)
// carries the challenge; a search's replies don't.
//
// Public API only, through a table of calls, so that the tests can script
// the library.
#pragma once

#include "common/device_challenge.h"
#include "common/known_devices.h"

#include <kovr/kovr.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kovr::common {

struct GuardCalls {
    int32_t (*setCommandPolicy)(KOVR_HANDLE h, uint32_t policy);
    int32_t (*getLastError)(KOVR_HANDLE h);
};

enum class Verdict {
    Guarded,      // sent with the guard on: the password leaves only as a digest
    Plain,        // sent as the device asks, once ApprovePlain says yes
    RefusedPlain, // a device without a challenge while a digest is required: nothing sent
    Impostor,     // pinned, and answered without a challenge: nothing sent
};

struct GuardOptions {
    // A device without a challenge is refused (kovr --require-digest, the
    // locator's batch setting). Also in force while the known-devices file
    // can't be read, or other users may change it: no device is known to
    // take plain passwords then.
    bool requireDigest = false;
    // Asked before the first password that would cross the segment in
    // clear, and only then: its answer holds for every later one (kovr
    // warns and says yes; the locator asks, Cancel by default). Called on
    // the thread that decides; never twice at once. None: yes.
    std::function<bool(const MacAddress &first)> approvePlain;
    // How to forget a pin, for the impostor sentence: "forget its pin with
    // 'kovr forget MAC' and try again". None: "forget its pin and try again".
    std::function<std::string(const MacAddress &mac)> howToForget;
};

// Thread-safe: the workers of an apply share one.
class CommandGuard {
public:
    CommandGuard(const GuardCalls &calls, KnownDevices &pins, GuardOptions options);

    bool IsPinned(const MacAddress &mac) const;
    // Whether Decide needs the device's reply to tell a plain device from
    // one with a challenge: for a device not pinned, when plain passwords
    // may be sent at all.
    bool WantsReply(const MacAddress &mac) const;
    // What to do with a command for `mac`, given its reply to a query for
    // its own MAC, or null when none was made. A reply with a challenge
    // pins the device; none, for a device not pinned, counts as plain.
    Verdict Decide(const MacAddress &mac, const KOVRDeviceInfoRecord *reply);
    // For Plain: whether to send, asked of approvePlain once per guard.
    bool ApprovePlain(const MacAddress &mac);
    // Sets the session's command policy for the verdict: the guard on,
    // except for Plain. False when the library refuses; then send nothing.
    bool Arm(KOVR_HANDLE session, Verdict verdict) const;
    // After a command that the device took: with the guard on, it was
    // sent as a digest over the device's challenge, so the device is pinned.
    void Took(const MacAddress &mac, Verdict verdict);
    // After a command made with the guard on: Impostor or RefusedPlain
    // when the library refused it for a missing challenge (nothing was
    // sent), none for any other result, whatever a reply said.
    std::optional<Verdict> Refusal(KOVR_HANDLE session, const MacAddress &mac, int32_t result) const;
    // The sentence for Impostor and RefusedPlain: what happened and that
    // the password was not sent.
    std::string Explain(Verdict verdict, const MacAddress &mac) const;

private:
    bool RequiresDigest() const;

    GuardCalls calls_;
    KnownDevices &pins_;
    GuardOptions options_;
    std::mutex approvalMutex_;
    std::optional<bool> approval_;
};

// Which replies to a query show the device itself after a verdict: for a
// guarded device only one with a challenge, since anyone can answer
// without one (a reboot's wait, the query that confirms a change).
ReplyTrust TrustAfter(Verdict verdict);

// The warning before a device's password crosses the segment in clear.
std::string PlainWarningText(const MacAddress &mac);

} // namespace kovr::common
