// The device password: read from a file, from standard input or from the
// terminal without echo (never from the command line, where other users can
// read it).
#pragma once

#include "tools/kovr/options.h"

#include "common/password.h"

#include <string>

namespace kovr::cli {

using common::Password;

// The first line of the file.
bool ReadPasswordFile(const std::string &path, Password &password, std::string &error);
// Asks on the controlling terminal (on Windows, the console) with echo
// turned off; its settings come back also when the prompt is interrupted.
bool PromptForPassword(const std::string &prompt, Password &password, std::string &error);
// From the source the options chose; without one, from the terminal.
bool ReadPassword(const PasswordSource &source, const std::string &prompt, Password &password, std::string &error);

} // namespace kovr::cli
