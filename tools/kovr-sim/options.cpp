#include "tools/kovr-sim/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"
#include "tools/kovr-sim/udp_endpoint.h"

namespace kovr::sim {
namespace {

// An option whose text `read` turns into the field's value, or refuses as
// not `expected`. The help shows the field's value at the call as the
// default, as `show` writes it.
template <typename T>
CLI::Option *AddReadOption(CLI::App &app, const std::string &name, T &value,
                           const std::function<std::optional<T>(const std::string &)> &read,
                           const std::string &expected, const std::string &help,
                           const std::function<std::string(const T &)> &show = nullptr)
{
    CLI::Option *option = app.add_option_function<std::string>(
        name,
        [&value, read, name, expected](const std::string &text) {
            const std::optional<T> parsed = read(text);
            if (!parsed) {
                throw CLI::ValidationError(name, "'" + text + "' is not " + expected);
            }
            value = *parsed;
        },
        help);
    if (show) {
        option->default_str(show(value));
    }
    return option;
}

// One of the names of a table.
template <typename T, size_t N>
CLI::Option *AddNamedOption(CLI::App &app, const std::string &name, T &value, const NameTable<T, N> &table,
                            const std::string &help)
{
    std::string names;
    for (const std::string &entry : NamesOf(table)) {
        names += (names.empty() ? "" : ", ") + entry;
    }
    return AddReadOption<T>(
               app, name, value, [&table](const std::string &text) { return ValueNamed(table, text); },
               "one of " + names, help, [&table](const T &chosen) { return NameOf(table, chosen); })
        ->type_name("NAME");
}

CLI::Option *AddMillisecondsOption(CLI::App &app, const std::string &name, std::chrono::milliseconds &value,
                                   const std::string &help)
{
    return app
        .add_option_function<unsigned>(
            name, [&value](unsigned ms) { value = std::chrono::milliseconds(ms); }, help)
        ->default_str(std::to_string(value.count()));
}

CLI::Option *AddByteOption(CLI::App &app, const std::string &name, uint8_t &value, const std::string &help)
{
    return app
        .add_option_function<unsigned>(
            name, [&value](unsigned number) { value = static_cast<uint8_t>(number); }, help)
        ->check(CLI::Range(0, 255))
        ->default_str(std::to_string(value));
}

std::optional<uint32_t> ReadIpv4(const std::string &text)
{
    return common::ParseIpv4(text);
}

std::string ShowIpv4(const uint32_t &address)
{
    return common::FormatIpv4(address);
}

void AddDeviceOptions(CLI::App &app, Options &o)
{
    app.add_option("-c,--config", o.configPath, "JSON device file (samples in " KOVR_SIM_EXAMPLES_DIR ")")
        ->check(CLI::ExistingFile);
    app.add_option("-g,--generate", o.generate.count, "Also play N generated devices with consecutive MACs and names");
    AddReadOption<common::MacAddress>(
        app, "--first-mac", o.generate.firstMac, [](const std::string &text) { return common::ParseMac(text); },
        "a MAC address (six hexadecimal bytes such as 02:00:01:00:00:01)", "MAC of the first generated device",
        [](const common::MacAddress &mac) { return common::FormatMac(mac.data()); });
    AddReadOption<uint32_t>(app, "--first-ip", o.generate.firstIp, ReadIpv4, "a dotted IPv4 address",
                            "IP address of the first generated device", ShowIpv4);
    app.add_option("--name-prefix", o.generate.namePrefix, "Generated devices are named PREFIX1, PREFIX2, ...")
        ->capture_default_str();
    app.add_option("--password", o.defaults.password,
                   "Password of generated devices and of device entries without one (default empty)");
    AddNamedOption(app, "--auth", o.defaults.auth, kAuthModeNames,
                   "Authentication of generated devices and of entries without one");
    app.add_option("--product", o.defaults.product, "Product name of generated devices and of entries without one")
        ->capture_default_str();
}

void AddNetworkOptions(CLI::App &app, Options &o)
{
    app.add_option("-i,--interface", o.interfaces,
                   "Join the group on this interface (repeatable; default every interface that is up, "
                   "multicast-capable and has an IPv4 address)");
    AddReadOption<uint32_t>(app, "--group", o.group, ReadIpv4, "a dotted IPv4 address", "Multicast group", ShowIpv4);
    app.add_option("--port", o.port, "UDP port")->capture_default_str();
    app.add_option("--log", o.logPath,
                   "Log every datagram as a JSON line (ms, direction, peer, interface, device, length, "
                   "bytes in hex, note) to FILE, or to stdout with -");
    app.add_flag("--log-received-only", o.logReceivedOnly,
                 "Log only the datagrams received: no replies, no junk (the log would slow a burst or a flood "
                 "of thousands a second down)");
}

void AddTimingOptions(CLI::App &app, Options &o)
{
    AddMillisecondsOption(app, "--reply-window-ms", o.replyWindow,
                          "Spread the answers to an all-devices request evenly over this many milliseconds");
    AddMillisecondsOption(app, "--reply-delay-ms", o.defaults.replyDelay, "Reply delay of devices that set none");
    AddMillisecondsOption(app, "--reply-jitter-ms", o.defaults.replyJitter,
                          "Random extra delay, 0 to this, of devices that set none");
    AddMillisecondsOption(app, "--reboot-downtime-ms", o.defaults.rebootDowntime,
                          "Silence after a reboot, for devices that set none");

    AddByteOption(app, "--fail-result", o.failure.resultCode, "Result code of a command with a wrong password");
    AddByteOption(app, "--fail-errno", o.failure.errorNumber, "Error number of a command with a wrong password");
    app.add_option("--fail-text", o.failure.errorText, "Error text of a command with a wrong password")
        ->capture_default_str();
}

void AddMisbehaviourOptions(CLI::App &app, Options &o)
{
    const std::string misbehave = "Misbehaviour";
    app.add_option("--drop", o.misbehaviour.dropFraction, "Ignore this fraction (0 to 1) of received datagrams")
        ->check(CLI::Range(0.0, 1.0))
        ->group(misbehave);
    const std::string numbers = "a list of numbers from 1 (such as 1,3-4,9-)";
    AddReadOption<NumberList>(app, "--ignore-requests", o.misbehaviour.ignoreRequests, NumberList::Parse, numbers,
                              "Ignore the requests received with these numbers, counted from 1: N, "
                              "N-M or N- (N and every later one), comma-separated")
        ->type_name("LIST")
        ->group(misbehave);
    AddReadOption<NumberList>(app, "--drop-replies", o.misbehaviour.dropReplies, NumberList::Parse, numbers,
                              "Never send the replies made with these numbers, counted from 1 in the "
                              "order the devices make them (same form as --ignore-requests)")
        ->type_name("LIST")
        ->group(misbehave);
    app.add_flag("--answer-twice", o.misbehaviour.answerTwice, "Send every reply twice")->group(misbehave);
    app.add_flag("--wrong-magic", o.misbehaviour.wrongMagic, "Reply with another session's magic")->group(misbehave);
    app.add_flag("--wrong-type", o.misbehaviour.wrongType, "Reply with the request's type instead of the next one")
        ->group(misbehave);
    app.add_flag("--no-mac", o.misbehaviour.omitMac, "Leave the MAC field out of replies")->group(misbehave);
    app.add_flag("--no-result-code", o.misbehaviour.omitResultCode,
                 "Leave the result code field out of command replies")
        ->group(misbehave);
    app.add_flag("--ignore-commands", o.misbehaviour.ignoreCommands,
                 "Answer discovery requests but neither answer nor apply commands")
        ->group(misbehave);
    AddNamedOption(app, "--malformed", o.misbehaviour.malformation, kMalformationNames,
                   "Send one kind of malformed field in every reply: mac-length (4-byte MAC), ip-length (3-byte "
                   "IP address), nonce-length (13-byte challenge), integer-length (3-byte DHCP mode and result "
                   "code), truncated (header claims 16 bytes more than sent), overrun (last field runs past "
                   "the end)")
        ->group(misbehave);
    app.add_flag("--oversize", o.misbehaviour.oversize, "Pad every reply beyond 1456 bytes with unknown fields")
        ->group(misbehave);
}

void AddFloodOptions(CLI::App &app, Options &o)
{
    const std::string misbehave = "Misbehaviour";
    app.add_option("--flood", o.flood.perSecond, "Send junk datagrams at this many per second")
        ->check(CLI::Range(0.0, 1e6))
        ->group(misbehave);
    AddReadOption<std::optional<sockaddr_in>>(
        app, "--flood-to", o.flood.target,
        [](const std::string &text) -> std::optional<std::optional<sockaddr_in>> {
            if (text == "requester") {
                return std::optional<sockaddr_in>();
            }
            sockaddr_in peer{};
            return ParsePeer(text, &peer) ? std::optional<std::optional<sockaddr_in>>(peer) : std::nullopt;
        },
        "ADDR:PORT or requester", "Where the junk goes: ADDR:PORT, or requester (the sender of the latest datagram)",
        [](const std::optional<sockaddr_in> &target) { return target ? FormatPeer(*target) : "requester"; })
        ->group(misbehave);
    app.add_option("--flood-count", o.flood.count, "Stop flooding after this many junk datagrams")
        ->check(CLI::Range(uint64_t{1}, uint64_t{10000000}))
        ->capture_default_str()
        ->group(misbehave);
    AddNamedOption(app, "--flood-kind", o.flood.kind, kFloodKindNames,
                   "What the junk is: random (random bytes), foreign (discovery replies of a device that isn't "
                   "there, with another magic, the request's type, no MAC, each kind of malformed field, or "
                   "oversize, in turn), or mixed (both in turn)")
        ->group(misbehave);
    app.add_option("--seed", o.seed, "Seed for challenges, jitter, drops and junk (default: random)");
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char **argv, Options *options)
{
    CLI::App app{"kovr-sim: simulated KOVR devices. Answers discovery requests and password-protected "
                 "commands for every device in the JSON file and every generated one, until SIGINT or SIGTERM. "
                 "Prints \"kovr-sim: ready ...\" on stdout once it has joined the group."};
    AddDeviceOptions(app, *options);
    AddNetworkOptions(app, *options);
    AddTimingOptions(app, *options);
    AddMisbehaviourOptions(app, *options);
    AddFloodOptions(app, *options);
    app.failure_message([](const CLI::App *, const CLI::Error &error) {
        return std::string("kovr-sim: ") + error.what() + "\nkovr-sim: run with --help for the options\n";
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        // Help prints and succeeds; every other parse error is a usage error.
        return app.exit(error) == 0 ? 0 : kExitUsage;
    }
    return std::nullopt;
}

} // namespace kovr::sim
