// Drives another program's windows from outside, the way UI automation
// does: by their titles, their controls' ids and the controls' own
// messages. Each step of a scenario is one command (driver.cpp lists them).
#pragma once

#include "tests/windows/locator_e2e/scenario.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kovr::e2e {

// The name under which a Windows program finds a file: a Unix path as it is
// on drive Z:, Wine's way to the file system's root; anything else as it is.
std::wstring WindowsPath(const std::string &path);

class Driver {
public:
    Driver() = default;
    ~Driver();
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    // Empty when the step went as it expects; otherwise what went wrong.
    std::string Run(const Step &step);

    // The commands, each with its arguments, for a usage text.
    static std::string Usage();

private:
    using Args = std::vector<std::string>;
    using Command = std::string (Driver::*)(const Args &);
    struct CommandInfo {
        const char *name;
        const char *arguments;
        size_t least, most;
        Command run;
    };
    static const CommandInfo kCommands[];

    // Polls `check`, which says what it saw when it isn't satisfied, until it
    // is or the step's time is up.
    std::string WaitUntil(const std::function<std::optional<std::string>()> &check);
    std::vector<HWND> WindowsTitled(const std::wstring &title) const;
    HWND Control(const std::string &name, std::string &error) const;
    std::optional<std::wstring> TextOf(HWND window) const;
    std::optional<std::vector<std::vector<std::wstring>>> CellsOf(const std::string &list, std::string &error);

    std::string Timeout(const Args &args);
    std::string Start(const Args &args);
    std::string Window(const Args &args);
    std::string Gone(const Args &args);
    std::string Click(const Args &args);
    std::string PostClick(const Args &args);
    std::string PostCommand(const Args &args);
    std::string Key(const Args &args);
    std::string Type(const Args &args);
    std::string SetAddress(const Args &args);
    std::string Select(const Args &args);
    std::string ExpectText(const Args &args);
    std::string ExpectLines(const Args &args);
    std::string ExpectMessage(const Args &args);
    std::string ExpectChecked(const Args &args);
    std::string ExpectRows(const Args &args);
    std::string ExpectRow(const Args &args);
    std::string ExpectColumn(const Args &args);
    std::string ExpectColumns(const Args &args);
    std::string ExpectSelected(const Args &args);
    std::string ExpectReceived(const Args &args);
    std::string Screenshot(const Args &args);
    std::string Close(const Args &args);
    std::string ExitCode(const Args &args);

    std::chrono::milliseconds timeout_{30000};
    PROCESS_INFORMATION program_{};
    HWND current_ = nullptr;
    std::wstring currentTitle_;
};

} // namespace kovr::e2e
