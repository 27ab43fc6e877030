// Command-line options shared by several subcommands. Each value is read
// from its text once, while the command line is parsed, into a typed
// field; a text that is refused ends kovr with a usage error that names the
// argument, before any session is opened.
#pragma once

#include "tools/kovr/addresses.h"
#include "tools/kovr/record_writer.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>

namespace kovr::cli {

// Reads a value from its text; false with why not.
template <typename T>
using TextReader = std::function<bool(const std::string &text, T &value, std::string &why)>;

// An option (or, for a name without dashes, a positional argument) read
// into `value` by `read`.
template <typename T>
CLI::Option *AddReadOption(CLI::App &command, const std::string &name, T &value, TextReader<T> read,
                           const std::string &help)
{
    return command.add_option_function<std::string>(
        name,
        [&value, read, name](const std::string &text) {
            std::string why;
            if (!read(text, value, why)) {
                throw CLI::ValidationError(name, "'" + text + "' is not " + why);
            }
        },
        help);
}

// The readers: a MAC that names one device, an IPv4 address, a subnet mask,
// a GUID, a session magic, milliseconds (or 'infinite').
bool ReadDeviceMac(const std::string &text, MacAddress &mac, std::string &why);
bool ReadIpv4(const std::string &text, uint32_t &address, std::string &why);
bool ReadSubnetMask(const std::string &text, uint32_t &mask, std::string &why);
bool ReadGuid(const std::string &text, std::optional<KOVR_GUID> &guid, std::string &why);
bool ReadMagic(const std::string &text, std::optional<uint32_t> &magic, std::string &why);
bool ReadMilliseconds(const std::string &text, uint32_t &ms, std::string &why);

// The positional MAC argument that names one device.
void AddMacArgument(CLI::App &command, MacAddress &mac);

// --magic and --guid; neither means the locator's GUID, which gives LORX.
struct SessionChoice {
    std::optional<uint32_t> magic;
    std::optional<KOVR_GUID> guid;
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
