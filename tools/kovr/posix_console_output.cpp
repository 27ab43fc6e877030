#include "tools/kovr/console_output.h"

namespace kovr::cli {

// A terminal takes UTF-8 as it is.
struct ConsoleOutput::Streams {};

ConsoleOutput::ConsoleOutput() = default;

ConsoleOutput::~ConsoleOutput() = default;

void KeepLineFeedsOnStandardOutput() {}

} // namespace kovr::cli
