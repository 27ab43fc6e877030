// Replacing a file in one step, for files that another program reads at
// any moment: it sees the old text or the new, never half of one.
#pragma once

#include <string>

namespace kovr::common {

// Who may read the new file on POSIX: everyone (mode 0644), or its owner
// alone (0600). On Windows it inherits its folder's access.
enum class Readers { Everyone, OwnerOnly };

enum class Replacement {
    // The new file is in place and on disk.
    Done,
    // The new file is in place, but the system could not say that the
    // rename is on disk: after a crash the old file may come back.
    NotDurable,
    // Nothing changed: the old file is as it was, and no new file is left.
    Failed,
};

// Writes the text to a new file in the path's folder, syncs it to disk and
// renames it over the path; then syncs the folder, which holds the rename
// (Windows moves the file through to disk in the rename itself). Unless
// Done, error says why.
Replacement ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &error,
                                  Readers readers = Readers::Everyone);

} // namespace kovr::common
