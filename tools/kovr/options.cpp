#include "tools/kovr/options.h"

#include "common/device_checks.h"

namespace kovr::cli {

bool ReadDeviceMac(const std::string &text, MacAddress &mac, std::string &why)
{
    const std::optional<MacAddress> parsed = ParseMac(text);
    if (!parsed) {
        why = "a MAC address (six hexadecimal bytes such as 02:00:00:00:00:01)";
        return false;
    }
    if (IsAllDevicesAddress(*parsed)) {
        why = "one device's MAC: it is the all-devices address";
        return false;
    }
    mac = *parsed;
    return true;
}

bool ReadIpv4(const std::string &text, uint32_t &address, std::string &why)
{
    const std::optional<uint32_t> parsed = ParseIpv4(text);
    why = "an IPv4 address (four numbers 0 to 255 separated by dots, such as 10.77.1.20)";
    address = parsed.value_or(0);
    return parsed.has_value();
}

bool ReadSubnetMask(const std::string &text, uint32_t &mask, std::string &why)
{
    const std::optional<uint32_t> parsed = ParseIpv4(text);
    why = "a subnet mask (an IPv4 address whose one bits are contiguous, such as 255.255.255.0)";
    mask = parsed.value_or(0);
    return parsed && common::IsContiguousMask(*parsed);
}

bool ReadGuid(const std::string &text, std::optional<KOVR_GUID> &guid, std::string &why)
{
    guid = ParseGuid(text);
    why = "a GUID (such as {4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5})";
    return guid.has_value();
}

bool ReadMagic(const std::string &text, std::optional<uint32_t> &magic, std::string &why)
{
    magic = ParseMagic(text);
    why = "QUMA, LORX or TESK";
    return magic.has_value();
}

bool ReadMilliseconds(const std::string &text, uint32_t &ms, std::string &why)
{
    const std::optional<uint32_t> parsed = ParseMilliseconds(text);
    why = "a time in milliseconds (1 to 4294967295, or 'infinite')";
    ms = parsed.value_or(0);
    return parsed.has_value();
}

void AddMacArgument(CLI::App &command, MacAddress &mac)
{
    AddReadOption<MacAddress>(command, "MAC", mac, ReadDeviceMac, "The device's MAC address, such as 02:00:00:00:00:01")
        ->type_name("")
        ->required();
}

void AddSessionOptions(CLI::App &command, SessionChoice &choice)
{
    AddReadOption<std::optional<uint32_t>>(command, "--magic", choice.magic, ReadMagic,
                                           "Protocol magic of the session: QUMA, LORX or TESK")
        ->type_name("MAGIC");
    AddReadOption<std::optional<KOVR_GUID>>(command, "--guid", choice.guid, ReadGuid,
                                            "Session GUID; selects the magic unless --magic is given too "
                                            "(default: the locator's {4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5})")
        ->type_name("GUID");
}
void AddPasswordOptions(CLI::App &command, PasswordSource &source)
{
    CLI::Option *file = command
                            .add_option("--password-file", source.file,
                                        "Read the device password from the first line of FILE, a regular file that "
                                        "group and others can't read")
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
