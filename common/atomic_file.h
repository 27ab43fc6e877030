// Replacing a file in one step, for files that another program reads at
// any moment: it sees the old text or the new, never half of one.
#pragma once

#include <string>

namespace kovr::common {

// Writes the text to a new file in the path's folder, syncs it to disk and
// renames it over the path, readable by all (mode 0644 on POSIX). On
// failure the new file is removed, the old one is left as it was, and error
// says why.
bool ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &error);

} // namespace kovr::common
