#include "tools/kovr/options.h"

#include "tools/kovr/addresses.h"

namespace kovr::cli {

namespace {

CLI::Validator MakeValidator(bool (*accepts)(const std::string &), const std::string &what, const std::string &name)
{
    return CLI::Validator(
        [accepts, what](std::string &value) {
            return accepts(value) ? std::string() : "'" + value + "' is not " + what;
        },
        "", name);
}

} // namespace

CLI::Validator MacValidator()
{
    return CLI::Validator(
        [](std::string &value) -> std::string {
            const std::optional<MacAddress> mac = ParseMac(value);
            if (!mac) {
                return "'" + value + "' is not a MAC address (six hexadecimal bytes such as 02:00:00:00:00:01)";
            }
            if (IsAllDevicesAddress(*mac)) {
                return "'" + value + "' is the all-devices address; name one device";
            }
            return {};
        },
        "", "MAC");
}

CLI::Validator Ipv4Validator()
{
    return MakeValidator([](const std::string &v) { return ParseIpv4(v).has_value(); },
                         "an IPv4 address (four numbers 0 to 255 separated by dots, such as 10.77.1.20)", "IPV4");
}

CLI::Validator SubnetMaskValidator()
{
    return MakeValidator([](const std::string &v) { return ParseSubnetMask(v).has_value(); },
                         "a subnet mask (an IPv4 address whose one bits are contiguous, such as 255.255.255.0)",
                         "MASK");
}

CLI::Validator GuidValidator()
{
    return MakeValidator([](const std::string &v) { return ParseGuid(v).has_value(); },
                         "a GUID (such as {4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5})", "GUID");
}

CLI::Validator MagicValidator()
{
    return MakeValidator([](const std::string &v) { return ParseMagic(v).has_value(); }, "QUMA, LORX or TESK", "MAGIC");
}

CLI::Validator MillisecondsValidator()
{
    return MakeValidator([](const std::string &v) { return ParseMilliseconds(v).has_value(); },
                         "a time in milliseconds (1 to 4294967295, or 'infinite')", "MS");
}

void AddMacArgument(CLI::App &command, std::string &mac)
{
    command.add_option("MAC", mac, "The device's MAC address, such as 02:00:00:00:00:01")
        ->type_name("")
        ->required()
        ->check(MacValidator());
}

void AddSessionOptions(CLI::App &command, SessionChoice &choice)
{
    command.add_option("--magic", choice.magic, "Protocol magic of the session: QUMA, LORX or TESK")
        ->type_name("MAGIC")
        ->check(MagicValidator());
    command
        .add_option("--guid", choice.guid,
                    "Session GUID; selects the magic unless --magic is given too "
                    "(default: the locator's {4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5})")
        ->type_name("GUID")
        ->check(GuidValidator());
}

void AddPasswordOptions(CLI::App &command, PasswordSource &source)
{
    CLI::Option *file =
        command.add_option("--password-file", source.file, "Read the device password from the first line of FILE")
            ->type_name("FILE")
            // Without its own description, which help would show as FILE:FILE.
            ->check(CLI::Validator(CLI::ExistingFile).description(""));
    CLI::Option *stdinFlag =
        command.add_flag("--password-stdin", source.fromStdin, "Read the device password from standard input");
    file->excludes(stdinFlag);
}

void AddFormatOptions(CLI::App &command, FormatChoice &choice, bool withCsv, const std::string &jsonHelp)
{
    CLI::Option *json = command.add_flag("--json", choice.json, jsonHelp);
    if (withCsv) {
        command.add_flag("--csv", choice.csv, "Write a header line, then one comma-separated line per device")
            ->excludes(json);
    }
}

} // namespace kovr::cli
