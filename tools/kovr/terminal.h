// Whether a descriptor's text reaches a terminal that redraws a line in
// place, for the progress line.
#pragma once

namespace kovr::cli {

// True for a terminal that takes "\r" and the erase-to-end-of-line sequence.
// On a Windows console this turns the processing of such sequences on, where
// the console has it; it stays on, as the shells that started kovr reset
// their console's mode when it ends.
bool RedrawsLinesInPlace(int fd);

} // namespace kovr::cli
