// Replacing a file in one step, for files that another program reads at
// any moment: it sees the old text or the new, never half of one.
#pragma once

#include <string>

namespace kovr::common {

// Who may read the new file on POSIX: everyone (mode 0644), or its owner
// alone (0600). On Windows it inherits its folder's access.
enum class Readers { Everyone, OwnerOnly };

// Writes the text to a new file in the path's folder, syncs it to disk and
// renames it over the path. On failure the new file is removed, the old one
// is left as it was, and error says why.
bool ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &error,
                           Readers readers = Readers::Everyone);

} // namespace kovr::common
