// kovr: find and configure KOVR devices from the command line.
#include "tools/kovr/commands.h"
#include "tools/kovr/console_output.h"
#include "tools/kovr/exit_status.h"

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// "unknown option '--x'" or "unknown command 'x'" for an argument that
// nothing takes; none for other parse errors, which CLI11 words well.
std::optional<std::string> UnknownArgument(CLI::App &app, const CLI::ParseError &error, int argc, char **argv)
{
    std::vector<std::string> extras;
    if (dynamic_cast<const CLI::ExtrasError *>(&error) != nullptr) {
        for (const CLI::App *command : app.get_subcommands()) {
            extras = command->remaining();
        }
        if (extras.empty()) {
            extras = app.remaining();
        }
    } else if (error.get_exit_code() != 0 && app.get_subcommands().empty() && argc > 1) {
        extras.emplace_back(argv[1]);
    }
    if (extras.empty()) {
        return std::nullopt;
    }
    const bool option = extras.front().rfind('-', 0) == 0;
    const bool command = !option && app.get_subcommands().empty();
    return std::string("unknown ") +
           (option    ? "option"
            : command ? "command"
                      : "argument") +
           " '" + extras.front() + "'";
}

} // namespace

int main(int argc, char **argv)
{
    using namespace kovr::cli;
    // Device names outside ASCII reach a Windows console whole.
    const ConsoleOutput console;
    CLI::App app("Find and configure KOVR devices on the local network.", "kovr");
    // At most one; none is reported after parsing, so that --version and an
    // unknown option are not taken for a missing command.
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", std::string("kovr ") + KOVR_VERSION, "Print the version and exit");
    app.footer("Run 'kovr COMMAND --help' for a command's options and examples.\n"
               "Exit status: 0 success, 1 device or network failure, 2 usage error, 3 time-out,\n"
               "4 problems found by check, 5 a pinned device answered without its challenge (nothing sent).");
    app.failure_message([](const CLI::App *, const CLI::Error &e) {
        return std::string("kovr: ") + e.what() + "\nRun with --help for more information.\n";
    });
    int status = kExitSuccess;
    AddSearchCommand(app, status);
    AddWatchCommand(app, status);
    AddInfoCommand(app, status);
    AddSetIpCommand(app, status);
    AddDhcpCommand(app, status);
    AddRebootCommand(app, status);
    AddCheckCommand(app, status);
    AddApplyCommand(app, status);
    AddMetricsCommand(app, status);
    AddForgetCommand(app, status);
    try {
        app.parse(argc, argv);
        if (app.get_subcommands().empty()) {
            std::cerr << "kovr: a command is required\nRun with --help for the commands.\n";
            return kExitUsage;
        }
    } catch (const CLI::ParseError &e) {
        if (const std::optional<std::string> unknown = UnknownArgument(app, e, argc, argv)) {
            std::cerr << "kovr: " << *unknown << "\nRun with --help for more information.\n";
            return kExitUsage;
        }
        // Help prints and succeeds; every other parse error is a usage error.
        return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
    } catch (const std::exception &e) {
        std::cerr << "kovr: " << e.what() << '\n';
        return kExitFailure;
    }
    return status;
}
