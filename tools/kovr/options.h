// Command-line options shared by several subcommands, and the checks that
// refuse malformed values while the command line is parsed, before any
// session is opened. A refused value is reported with the argument's name.
#pragma once

#include "tools/kovr/record_writer.h"

#include <CLI/CLI.hpp>

#include <string>

namespace kovr::cli {

CLI::Validator MacValidator(); // also refuses the all-devices address
CLI::Validator Ipv4Validator();
CLI::Validator SubnetMaskValidator();
CLI::Validator GuidValidator();
CLI::Validator MagicValidator();
CLI::Validator MillisecondsValidator();

// The positional MAC argument that names one device.
void AddMacArgument(CLI::App &command, std::string &mac);

// --magic and --guid, kept as the validated texts.
struct SessionChoice {
    std::string magic;
    std::string guid;
};
void AddSessionOptions(CLI::App &command, SessionChoice &choice);

// --password-file and --password-stdin; neither means a prompt on the terminal.
struct PasswordSource {
    std::string file;
    bool fromStdin = false;
};
void AddPasswordOptions(CLI::App &command, PasswordSource &source);

struct FormatChoice {
    bool json = false;
    bool csv = false;
    OutputFormat format() const { return json ? OutputFormat::Json : csv ? OutputFormat::Csv : OutputFormat::Table; }
};
// --json, and --csv when the command offers it.
void AddFormatOptions(CLI::App &command, FormatChoice &choice, bool withCsv, const std::string &jsonHelp);

} // namespace kovr::cli
