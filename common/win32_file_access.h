// Who besides a file's owner may use it on Windows, from its access list:
// the privacy check of plan and password files and the safety check of the
// state folder share it.
#pragma once

#include <windows.h>

namespace kovr::common {

// Whether an entry grants any of `rights` to a group that holds more users
// than the owner (everyone, authenticated users, the machine's users,
// guests, interactive, anonymous). Deny entries are not weighed against
// the grants, so a file that a grant and a denial both name counts: a
// false alarm asks the user to tighten the file, a missed grant would
// leave it open. No list at all lets everyone in.
bool GrantsToOthers(const ACL *dacl, ACCESS_MASK rights);

// Whether `owner` is this process's user, or one that rules the machine
// anyway (the administrators, the system).
bool IsOwnOrSystemSid(const void *owner);

} // namespace kovr::common
