// kovr: find and configure KOVR devices from the command line.
#include "tools/kovr/commands.h"
#include "tools/kovr/exit_status.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    using namespace kovr::cli;
    CLI::App app("Find and configure KOVR devices on the local network.", "kovr");
    app.require_subcommand(1, 1);
    app.footer("Run 'kovr COMMAND --help' for a command's options and examples.\n"
               "Exit status: 0 success, 1 device or network failure, 2 usage error, 3 time-out,\n"
               "4 problems found by check.");
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        if (e.get_exit_code() != 0 && app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-') {
            std::cerr << "kovr: unknown command '" << argv[1] << "'\nRun with --help for the commands.\n";
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
