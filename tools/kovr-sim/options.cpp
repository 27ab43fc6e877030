#include "tools/kovr-sim/options.h"

#include <CLI/CLI.hpp>

namespace kovr::sim {
namespace {

void AddOptions(CLI::App &app, Options &o)
{
    app.add_option("-c,--config", o.configPath, "JSON device file (samples in " KOVR_SIM_EXAMPLES_DIR ")")
        ->check(CLI::ExistingFile);
    app.add_option("-g,--generate", o.generate, "Also play N generated devices with consecutive MACs and names");
    app.add_option("--first-mac", o.firstMac, "MAC of the first generated device")->capture_default_str();
    app.add_option("--first-ip", o.firstIp, "IP address of the first generated device")->capture_default_str();
    app.add_option("--name-prefix", o.namePrefix, "Generated devices are named PREFIX1, PREFIX2, ...")
        ->capture_default_str();
    app.add_option("--password", o.defaults.password,
                   "Password of generated devices and of device entries without one (default empty)");
    app.add_option("--auth", o.auth, "Authentication of generated devices and of entries without one")
        ->check(CLI::IsMember({"digest", "plain"}))
        ->capture_default_str();
    app.add_option("--product", o.defaults.product, "Product name of generated devices and of entries without one")
        ->capture_default_str();

    app.add_option("-i,--interface", o.interfaces,
                   "Join the group on this interface (repeatable; default every interface that is up, "
                   "multicast-capable and has an IPv4 address)");
    app.add_option("--group", o.group, "Multicast group")->capture_default_str();
    app.add_option("--port", o.port, "UDP port")->capture_default_str();
    app.add_option("--log", o.logPath,
                   "Log every datagram as a JSON line (ms, direction, peer, interface, device, length, "
                   "bytes in hex, note) to FILE, or to stdout with -");
    app.add_flag("--log-received-only", o.logReceivedOnly,
                 "Log only the datagrams received: no replies, no junk (the log would slow a burst or a flood "
                 "of thousands a second down)");

    app.add_option("--reply-window-ms", o.replyWindowMs,
                   "Spread the answers to an all-devices request evenly over this many milliseconds")
        ->capture_default_str();
    app.add_option("--reply-delay-ms", o.replyDelayMs, "Reply delay of devices that set none")->capture_default_str();
    app.add_option("--reply-jitter-ms", o.replyJitterMs, "Random extra delay, 0 to this, of devices that set none")
        ->capture_default_str();
    app.add_option("--reboot-downtime-ms", o.rebootDowntimeMs, "Silence after a reboot, for devices that set none")
        ->capture_default_str();

    app.add_option("--fail-result", o.failResult, "Result code of a command with a wrong password")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--fail-errno", o.failErrorNumber, "Error number of a command with a wrong password")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--fail-text", o.failText, "Error text of a command with a wrong password")->capture_default_str();

    const std::string misbehave = "Misbehaviour";
    app.add_option("--drop", o.misbehaviour.dropFraction, "Ignore this fraction (0 to 1) of received datagrams")
        ->check(CLI::Range(0.0, 1.0))
        ->group(misbehave);
    const auto numberList = [](NumberList &list) {
        return [&list](const std::string &text) {
            const std::optional<NumberList> parsed = NumberList::Parse(text);
            if (!parsed) {
                throw CLI::ValidationError("'" + text + "' is not a list of numbers from 1 (such as 1,3-4,9-)");
            }
            list = *parsed;
        };
    };
    app.add_option_function<std::string>("--ignore-requests", numberList(o.misbehaviour.ignoreRequests),
                                         "Ignore the requests received with these numbers, counted from 1: N, "
                                         "N-M or N- (N and every later one), comma-separated")
        ->type_name("LIST")
        ->group(misbehave);
    app.add_option_function<std::string>("--drop-replies", numberList(o.misbehaviour.dropReplies),
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
    app.add_option("--malformed", o.malformed,
                   "Send one kind of malformed field in every reply: mac-length (4-byte MAC), ip-length (3-byte "
                   "IP address), nonce-length (13-byte challenge), integer-length (3-byte DHCP mode and result "
                   "code), truncated (header claims 16 bytes more than sent), overrun (last field runs past "
                   "the end)")
        ->check(CLI::IsMember(MalformationNames()))
        ->group(misbehave);
    app.add_flag("--oversize", o.misbehaviour.oversize, "Pad every reply beyond 1456 bytes with unknown fields")
        ->group(misbehave);
    app.add_option("--flood", o.floodRate, "Send junk datagrams at this many per second")
        ->check(CLI::Range(0.0, 1e6))
        ->group(misbehave);
    app.add_option("--flood-to", o.floodTo,
                   "Where the junk goes: ADDR:PORT, or requester (the sender of the latest datagram)")
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--flood-count", o.floodCount, "Stop flooding after this many junk datagrams")
        ->check(CLI::Range(uint64_t{1}, uint64_t{10000000}))
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--flood-kind", o.floodKind,
                   "What the junk is: random (random bytes), foreign (discovery replies of a device that isn't "
                   "there, with another magic, the request's type, no MAC, each kind of malformed field, or "
                   "oversize, in turn), or mixed (both in turn)")
        ->check(CLI::IsMember({"random", "foreign", "mixed"}))
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--seed", o.seed, "Seed for challenges, jitter, drops and junk (default: random)");
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char **argv, Options *options)
{
    CLI::App app{"kovr-sim: simulated KOVR devices. Answers discovery requests and password-protected "
                 "commands for every device in the JSON file and every generated one, until SIGINT or SIGTERM. "
                 "Prints \"kovr-sim: ready ...\" on stdout once it has joined the group."};
    AddOptions(app, *options);
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
