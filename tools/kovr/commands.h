// The subcommands. Each adds itself to the application and, when chosen,
// runs from the parser's callback and leaves its exit status in `status`.
#pragma once

#include <CLI/CLI.hpp>

namespace kovr::cli {

void AddSearchCommand(CLI::App &app, int &status);
void AddWatchCommand(CLI::App &app, int &status);
void AddInfoCommand(CLI::App &app, int &status);
void AddSetIpCommand(CLI::App &app, int &status);
void AddDhcpCommand(CLI::App &app, int &status);
void AddRebootCommand(CLI::App &app, int &status);
void AddCheckCommand(CLI::App &app, int &status);
void AddApplyCommand(CLI::App &app, int &status);
void AddMetricsCommand(CLI::App &app, int &status);
void AddForgetCommand(CLI::App &app, int &status);

} // namespace kovr::cli
