// locator_driver SCENARIO [NAME=VALUE...]: runs a scenario (scenario.h)
// against a program's windows and says where it went wrong; given
// FAILURE_SCREENSHOT=FILE.png, it saves the window it was working in there
// when a step fails. Exit status 0
// when every step went as it expects, 1 when one didn't, 2 for a scenario
// that can't be run.
#include "tests/windows/locator_e2e/driver.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using namespace kovr::e2e;

namespace {

std::string Joined(const std::vector<std::string> &words)
{
    std::string line;
    for (const std::string &word : words) {
        line += (line.empty() ? "" : " ") + (word.find_first_of(" \n") == std::string::npos ? word : '"' + word + '"');
    }
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: locator_driver SCENARIO [NAME=VALUE...]\ncommands:\n%s", Driver::Usage().c_str());
        return 2;
    }
    // Window positions and sizes in the screen's own pixels, whatever its DPI.
    SetProcessDPIAware();
    std::map<std::string, std::string> values;
    for (int i = 2; i < argc; ++i) {
        const std::string assignment = argv[i];
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0) {
            std::fprintf(stderr, "locator_driver: not NAME=VALUE: %s\n", argv[i]);
            return 2;
        }
        values[assignment.substr(0, equals)] = assignment.substr(equals + 1);
    }
    const auto lookup = [&](const std::string &name) -> std::optional<std::string> {
        if (const auto given = values.find(name); given != values.end()) {
            return given->second;
        }
        if (const char *value = std::getenv(name.c_str())) {
            return std::string(value);
        }
        return std::nullopt;
    };
    std::ifstream file(WindowsPath(argv[1]).c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    if (!file) {
        std::fprintf(stderr, "locator_driver: cannot read %s\n", argv[1]);
        return 2;
    }
    std::string error;
    const std::optional<std::vector<Step>> steps = ParseScenario(text.str(), lookup, error);
    if (!steps) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 2;
    }

    // Only this run's failure leaves a picture.
    if (const std::optional<std::string> shot = lookup("FAILURE_SCREENSHOT")) {
        DeleteFileW(WindowsPath(*shot).c_str());
    }
    const auto start = std::chrono::steady_clock::now();
    Driver driver;
    for (const Step &step : *steps) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%7.2f s  %d: %s\n", seconds, step.line, Joined(step.words).c_str());
        std::fflush(stdout);
        const std::string failure = driver.Run(step);
        if (!failure.empty()) {
            std::fprintf(stderr, "%s:%d: %s\n  %s\n", argv[1], step.line, Joined(step.words).c_str(), failure.c_str());
            // What the window showed then, for a look afterwards.
            if (const std::optional<std::string> shot = lookup("FAILURE_SCREENSHOT")) {
                if (driver.Run({step.line, {"screenshot", *shot}}).empty()) {
                    std::fprintf(stderr, "  the window as it was: %s\n", shot->c_str());
                }
            }
            return 1;
        }
    }
    return 0;
}
