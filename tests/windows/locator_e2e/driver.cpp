#include "tests/windows/locator_e2e/driver.h"

#include "discovery/wire_bytes.h"
#include "locator/core/dialog_template.h"
#include "locator/win32/locator_window.h"
#include "tests/windows/locator_e2e/remote_list_view.h"
#include "tests/windows/locator_e2e/window_image.h"

#include <commctrl.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace kovr::e2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPollInterval{50};
constexpr UINT kAnswerMs = 5000;

// The controls by the names the windows' code gives their ids.
const std::map<std::string, int> kControlIds = {
    {"Ok", locator::ControlId::Ok},
    {"Cancel", locator::ControlId::Cancel},
    {"OpenWebInterface", locator::ControlId::OpenWebInterface},
    {"ConfigureIpSettings", locator::ControlId::ConfigureIpSettings},
    {"RefreshList", locator::ControlId::RefreshList},
    {"RebootDevice", locator::ControlId::RebootDevice},
    {"DeviceInfo", locator::ControlId::DeviceInfo},
    {"TasksLabel", locator::ControlId::TasksLabel},
    {"DeviceList", locator::ControlId::DeviceList},
    {"IpAddress", locator::ControlId::IpAddress},
    {"SubnetMask", locator::ControlId::SubnetMask},
    {"Gateway", locator::ControlId::Gateway},
    {"Password", locator::ControlId::Password},
    {"ProductText", locator::ControlId::ProductText},
    {"MacText", locator::ControlId::MacText},
    {"DhcpRadio", locator::ControlId::DhcpRadio},
    {"ManualRadio", locator::ControlId::ManualRadio},
    {"Status", locator::ControlId::Status},
    {"RebootPassword", locator::ControlId::RebootPassword},
    {"ProductLine", locator::ControlId::ProductLine},
    {"MacLine", locator::ControlId::MacLine},
    {"Reboot", locator::ControlId::Reboot},
    {"Details", locator::ControlId::Details},
    {"BatchIntro", locator::ControlId::BatchIntro},
    {"BatchDhcpRadio", locator::ControlId::BatchDhcpRadio},
    {"BatchRangeRadio", locator::ControlId::BatchRangeRadio},
    {"BatchFirstAddress", locator::ControlId::BatchFirstAddress},
    {"BatchSubnetMask", locator::ControlId::BatchSubnetMask},
    {"BatchGateway", locator::ControlId::BatchGateway},
    {"BatchPassword", locator::ControlId::BatchPassword},
    {"BatchRequireChallenge", locator::ControlId::BatchRequireChallenge},
    {"BatchProblem", locator::ControlId::BatchProblem},
    {"BatchPreview", locator::ControlId::BatchPreview},
    {"BatchProgress", locator::ControlId::BatchProgress},
    {"BatchOutcome", locator::ControlId::BatchOutcome},
    {"BatchSaveCsv", locator::ControlId::BatchSaveCsv},
    {"BatchClose", locator::ControlId::BatchClose},
    {"BatchApply", locator::ControlId::BatchApply},
};

// The main window's menu and shortcut commands.
const std::map<std::string, int> kCommandIds = {
    {"CopyIpAddress", locator::MenuId::CopyIpAddress},
    {"CopyMacAddress", locator::MenuId::CopyMacAddress},
    {"CopyRow", locator::MenuId::CopyRow},
    {"OpenWebPage", locator::MenuId::OpenWebPage},
    {"ConfigureIpSettings", locator::MenuId::ConfigureIpSettings},
    {"DeviceInfo", locator::MenuId::DeviceInfo},
    {"RebootDevice", locator::MenuId::RebootDevice},
    {"ForgetPin", locator::MenuId::ForgetPin},
    {"ConfigureSelectedDevices", locator::MenuId::ConfigureSelectedDevices},
    {"ApplyPlan", locator::MenuId::ApplyPlan},
    {"SaveListAs", locator::MenuId::SaveListAs},
    {"CopySelectedRows", locator::MenuId::CopySelectedRows},
    {"Refresh", locator::MenuId::Refresh},
};

const std::map<std::string, uint16_t> kRequestTypes = {
    {"SetNetwork", kSetNetworkRequest},
    {"Reboot", kRebootRequest},
    {"SetDhcp", kSetDhcpRequest},
};

const std::map<std::string, WORD> kKeys = {
    {"Enter", VK_RETURN}, {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},   {"Space", VK_SPACE}, {"F5", VK_F5},
    {"Up", VK_UP},        {"Down", VK_DOWN},     {"Home", VK_HOME}, {"End", VK_END},     {"Delete", VK_DELETE},
};

std::wstring Wide(const std::string &utf8)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

std::string Narrow(const std::wstring &utf16)
{
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::optional<long> Number(const std::string &word)
{
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0) {
        return std::nullopt;
    }
    return value;
}

// Controls end lines with \r\n; scenarios with \n.
std::string Lines(const std::wstring &text)
{
    std::string lines;
    for (char c : Narrow(text)) {
        if (c != '\r') {
            lines += c;
        }
    }
    return lines;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Quoted(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words) {
        text += (text.empty() ? "\"" : " \"") + word + "\"";
    }
    return "[" + text + "]";
}

std::vector<std::string> NarrowAll(const std::vector<std::wstring> &texts)
{
    std::vector<std::string> narrow;
    for (const std::wstring &text : texts) {
        narrow.push_back(Lines(text));
    }
    return narrow;
}

std::string QuotedRows(const std::vector<std::vector<std::wstring>> &cells)
{
    std::string text;
    for (const auto &row : cells) {
        text += "\n    " + Quoted(NarrowAll(row));
    }
    return text.empty() ? "no rows" : text;
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageW(window, message, wParam, lParam) != 0;
}

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

} // namespace

std::wstring WindowsPath(const std::string &path)
{
    std::wstring wide = Wide(path);
    if (!wide.empty() && wide[0] == L'/') {
        for (wchar_t &c : wide) {
            c = c == L'/' ? L'\\' : c;
        }
        wide = L"Z:" + wide;
    }
    return wide;
}

const Driver::CommandInfo Driver::kCommands[] = {
    {"timeout", "SECONDS  (how long each later step waits; 30 at first)", 1, 1, &Driver::Timeout},
    {"start", "PROGRAM [ARG...]", 1, SIZE_MAX, &Driver::Start},
    {"window", "TITLE  (waits for the program's window and works in it from now on)", 1, 1, &Driver::Window},
    {"gone", "TITLE  (waits until the program has no such window)", 1, 1, &Driver::Gone},
    {"click", "CONTROL  (sends BM_CLICK: done once the window has handled it)", 1, 1, &Driver::Click},
    {"post-click", "CONTROL  (posts BM_CLICK: for a click that opens a modal window)", 1, 1, &Driver::PostClick},
    {"command", "ID  (posts WM_COMMAND, as a menu's item does; ConfigureSelectedDevices, Refresh... by name)", 1, 1,
     &Driver::PostCommand},
    {"key", "CONTROL KEY  (Enter, Escape, Tab, Space, F5, Up, Down, Home, End, Delete, A-Z, 0-9)", 2, 2, &Driver::Key},
    {"type", "CONTROL TEXT", 2, 2, &Driver::Type},
    {"set-address", "CONTROL A.B.C.D", 2, 2, &Driver::SetAddress},
    {"select", "LIST ROW...  (exactly these rows, from 0)", 1, SIZE_MAX, &Driver::Select},
    {"expect-text", "CONTROL TEXT", 2, 2, &Driver::ExpectText},
    {"expect-lines", "CONTROL LINE...", 1, SIZE_MAX, &Driver::ExpectLines},
    {"expect-message", "TEXT  (a control of the window shows it, among its text)", 1, 1, &Driver::ExpectMessage},
    {"expect-checked", "CONTROL", 1, 1, &Driver::ExpectChecked},
    {"expect-rows", "LIST COUNT", 2, 2, &Driver::ExpectRows},
    {"expect-row", "LIST ROW CELL...", 2, SIZE_MAX, &Driver::ExpectRow},
    {"expect-column", "LIST COLUMN CELL...  (the column's cells, top to bottom)", 2, SIZE_MAX, &Driver::ExpectColumn},
    {"expect-columns", "LIST TITLE...", 1, SIZE_MAX, &Driver::ExpectColumns},
    {"expect-selected", "LIST ROW...", 1, SIZE_MAX, &Driver::ExpectSelected},
    {"expect-received",
     "MAC TYPE NOTE [PAYLOAD]  (kovr-sim's log, KOVR_LAB_SIM_OUTPUT, has such a request: "
     "its type, SetNetwork, Reboot or SetDhcp; its note, such as accepted or rejected; "
     "its payload's hex starts as the regular expression)",
     3, 4, &Driver::ExpectReceived},
    {"screenshot", "FILE.png  (the window, once its picture holds still)", 1, 1, &Driver::Screenshot},
    {"close", "(posts WM_CLOSE)", 0, 0, &Driver::Close},
    {"exit-code", "CODE  (waits for the program to end)", 1, 1, &Driver::ExitCode},
};

Driver::~Driver()
{
    if (program_.hProcess) {
        // A scenario that failed midway leaves nothing running behind it.
        if (WaitForSingleObject(program_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(program_.hProcess, 1);
        }
        CloseHandle(program_.hProcess);
        CloseHandle(program_.hThread);
    }
}

std::string Driver::Usage()
{
    std::string usage;
    for (const CommandInfo &command : kCommands) {
        usage += std::string("  ") + command.name + " " + command.arguments + "\n";
    }
    return usage;
}

std::string Driver::Run(const Step &step)
{
    for (const CommandInfo &command : kCommands) {
        if (step.words[0] == command.name) {
            const size_t count = step.words.size() - 1;
            if (count < command.least || count > command.most) {
                return std::string("usage: ") + command.name + " " + command.arguments;
            }
            return (this->*command.run)(Args(step.words.begin() + 1, step.words.end()));
        }
    }
    return "no command " + step.words[0];
}

std::string Driver::WaitUntil(const std::function<std::optional<std::string>()> &check)
{
    const Clock::time_point end = Clock::now() + timeout_;
    while (true) {
        const std::optional<std::string> seen = check();
        if (!seen) {
            return {};
        }
        if (Clock::now() >= end) {
            return "after " + std::to_string(timeout_.count() / 1000) + " s: " + *seen;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::vector<HWND> Driver::WindowsTitled(const std::wstring &title) const
{
    struct Search {
        const std::wstring &title;
        DWORD process;
        std::vector<HWND> found;
    } search{title, program_.dwProcessId, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto &s = *reinterpret_cast<Search *>(context);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t text[512] = {};
            if (IsWindowVisible(window) && (s.process == 0 || process == s.process) &&
                GetWindowTextW(window, text, 512) >= 0 && s.title == text) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Driver::Control(const std::string &name, std::string &error) const
{
    if (!current_ || !IsWindow(current_)) {
        error = current_ ? "the window \"" + Narrow(currentTitle_) + "\" is gone" : "no window yet (use window TITLE)";
        return nullptr;
    }
    const auto named = kControlIds.find(name);
    const std::optional<long> id = named != kControlIds.end() ? named->second : Number(name);
    if (!id) {
        error = "no control named " + name;
        return nullptr;
    }
    if (HWND control = GetDlgItem(current_, static_cast<int>(*id))) {
        return control;
    }
    error = "\"" + Narrow(currentTitle_) + "\" has no control " + name + " (" + std::to_string(*id) + ")";
    return nullptr;
}

std::optional<std::wstring> Driver::TextOf(HWND window) const
{
    const std::optional<LRESULT> length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const std::optional<LRESULT> copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied) {
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(*copied));
    return text;
}

std::optional<std::vector<std::vector<std::wstring>>> Driver::CellsOf(const std::string &list, std::string &error)
{
    HWND control = Control(list, error);
    if (!control) {
        return std::nullopt;
    }
    std::optional<std::vector<std::vector<std::wstring>>> cells = RemoteListView(control).Cells();
    if (!cells) {
        error = "the list " + list + " did not answer";
    }
    return cells;
}

std::string Driver::Timeout(const Args &args)
{
    const std::optional<long> seconds = Number(args[0]);
    if (!seconds || *seconds < 1) {
        return "not a number of seconds: " + args[0];
    }
    timeout_ = std::chrono::seconds(*seconds);
    return {};
}

std::string Driver::Start(const Args &args)
{
    if (program_.hProcess) {
        return "a program was started already";
    }
    std::wstring line;
    for (const std::string &arg : args) {
        line += (line.empty() ? L"\"" : L" \"") + (&arg == &args[0] ? WindowsPath(arg) : Wide(arg)) + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::wstring program = WindowsPath(args[0]);
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &program_)) {
        program_ = {};
        return "could not start " + args[0] + " (error " + std::to_string(GetLastError()) + ")";
    }
    return {};
}

std::string Driver::Window(const Args &args)
{
    const std::wstring title = Wide(args[0]);
    return WaitUntil([&]() -> std::optional<std::string> {
        const std::vector<HWND> found = WindowsTitled(title);
        if (found.empty()) {
            return "no window \"" + args[0] + "\"";
        }
        current_ = found.front();
        currentTitle_ = title;
        return std::nullopt;
    });
}

std::string Driver::Gone(const Args &args)
{
    const std::wstring title = Wide(args[0]);
    return WaitUntil([&]() -> std::optional<std::string> {
        if (WindowsTitled(title).empty()) {
            return std::nullopt;
        }
        return "the window \"" + args[0] + "\" is still there";
    });
}

std::string Driver::Click(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (control && !Send(control, BM_CLICK, 0, 0)) {
        error = args[0] + " did not take the click in time";
    }
    return error;
}

std::string Driver::PostClick(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (control && !Post(control, BM_CLICK, 0, 0)) {
        error = "could not post the click to " + args[0];
    }
    return error;
}

std::string Driver::PostCommand(const Args &args)
{
    const auto named = kCommandIds.find(args[0]);
    const std::optional<long> id = named != kCommandIds.end() ? named->second : Number(args[0]);
    if (!id) {
        return "no command " + args[0];
    }
    if (!current_ || !Post(current_, WM_COMMAND, MAKEWPARAM(*id, 0), 0)) {
        return "no window to take the command";
    }
    return {};
}

std::string Driver::Key(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (!control) {
        return error;
    }
    const auto named = kKeys.find(args[1]);
    WORD key = 0;
    if (named != kKeys.end()) {
        key = named->second;
    } else if (args[1].size() == 1 && (std::isupper(static_cast<unsigned char>(args[1][0])) ||
                                       std::isdigit(static_cast<unsigned char>(args[1][0])))) {
        key = static_cast<WORD>(args[1][0]);
    } else {
        return "no key " + args[1];
    }
    // Posted, as the keyboard does: the program's own loop turns keys into
    // commands, for dialogs and accelerators alike.
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    if (!Post(control, WM_KEYDOWN, key, scan | 1) ||
        !Post(control, WM_KEYUP, key, scan | 1 | static_cast<LPARAM>(0xC0000000u))) {
        return "could not post the key to " + args[0];
    }
    return {};
}

std::string Driver::Type(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (!control) {
        return error;
    }
    const std::wstring text = Wide(args[1]);
    const std::optional<LRESULT> set = Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return set && *set ? std::string() : args[0] + " did not take the text";
}

std::string Driver::SetAddress(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (!control) {
        return error;
    }
    unsigned a, b, c, d;
    char rest;
    if (std::sscanf(args[1].c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255) {
        return "not an address: " + args[1];
    }
    // The control's four fields share one id under Wine: only its own
    // messages reach them. It tells its window of a change as typing would.
    if (!Send(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d))) ||
        !Send(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), EN_CHANGE),
              reinterpret_cast<LPARAM>(control))) {
        return args[0] + " did not take the address";
    }
    return {};
}

std::string Driver::Select(const Args &args)
{
    std::string error;
    HWND control = Control(args[0], error);
    if (!control) {
        return error;
    }
    std::vector<int> rows;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::optional<long> row = Number(args[i]);
        if (!row || *row < 0) {
            return "not a row: " + args[i];
        }
        rows.push_back(static_cast<int>(*row));
    }
    return RemoteListView(control).Select(rows) ? std::string() : "could not select the rows in " + args[0];
}

std::string Driver::ExpectText(const Args &args)
{
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        HWND control = Control(args[0], error);
        if (!control) {
            return error;
        }
        const std::optional<std::wstring> text = TextOf(control);
        if (!text) {
            return args[0] + " did not answer";
        }
        if (Lines(*text) == args[1]) {
            return std::nullopt;
        }
        return args[0] + " shows " + Quoted({Lines(*text)}) + ", not " + Quoted({args[1]});
    });
}

std::string Driver::ExpectLines(const Args &args)
{
    const std::vector<std::string> wanted(args.begin() + 1, args.end());
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        HWND control = Control(args[0], error);
        if (!control) {
            return error;
        }
        const std::optional<std::wstring> text = TextOf(control);
        if (!text) {
            return args[0] + " did not answer";
        }
        const std::vector<std::string> lines = SplitLines(Lines(*text));
        if (lines == wanted) {
            return std::nullopt;
        }
        return args[0] + " shows the lines " + Quoted(lines) + ", not " + Quoted(wanted);
    });
}

std::string Driver::ExpectMessage(const Args &args)
{
    return WaitUntil([&]() -> std::optional<std::string> {
        if (!current_ || !IsWindow(current_)) {
            return std::string("no window");
        }
        std::vector<std::string> texts;
        for (HWND child = GetWindow(current_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::optional<std::wstring> text = TextOf(child);
            if (text && Lines(*text).find(args[0]) != std::string::npos) {
                return std::nullopt;
            }
            if (text) {
                texts.push_back(Lines(*text));
            }
        }
        return "\"" + Narrow(currentTitle_) + "\" shows " + Quoted(texts);
    });
}

std::string Driver::ExpectChecked(const Args &args)
{
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        HWND control = Control(args[0], error);
        if (!control) {
            return error;
        }
        const std::optional<LRESULT> state = Send(control, BM_GETCHECK, 0, 0);
        if (state && *state == BST_CHECKED) {
            return std::nullopt;
        }
        return args[0] + " is not checked";
    });
}

std::string Driver::ExpectRows(const Args &args)
{
    const std::optional<long> count = Number(args[1]);
    if (!count) {
        return "not a count: " + args[1];
    }
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        const auto cells = CellsOf(args[0], error);
        if (!cells) {
            return error;
        }
        if (static_cast<long>(cells->size()) == *count) {
            return std::nullopt;
        }
        return args[0] + " has " + std::to_string(cells->size()) + " rows: " + QuotedRows(*cells);
    });
}

std::string Driver::ExpectRow(const Args &args)
{
    const std::optional<long> row = Number(args[1]);
    if (!row || *row < 0) {
        return "not a row: " + args[1];
    }
    const std::vector<std::string> wanted(args.begin() + 2, args.end());
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        const auto cells = CellsOf(args[0], error);
        if (!cells) {
            return error;
        }
        if (static_cast<size_t>(*row) < cells->size() && NarrowAll((*cells)[static_cast<size_t>(*row)]) == wanted) {
            return std::nullopt;
        }
        return args[0] + " shows " + QuotedRows(*cells);
    });
}

std::string Driver::ExpectColumn(const Args &args)
{
    const std::optional<long> column = Number(args[1]);
    if (!column || *column < 0) {
        return "not a column: " + args[1];
    }
    const std::vector<std::string> wanted(args.begin() + 2, args.end());
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        const auto cells = CellsOf(args[0], error);
        if (!cells) {
            return error;
        }
        std::vector<std::string> seen;
        for (const auto &cellsOfRow : *cells) {
            if (static_cast<size_t>(*column) >= cellsOfRow.size()) {
                return args[0] + " has no column " + args[1];
            }
            seen.push_back(Lines(cellsOfRow[static_cast<size_t>(*column)]));
        }
        if (seen == wanted) {
            return std::nullopt;
        }
        return "column " + args[1] + " of " + args[0] + " shows " + Quoted(seen) + ", not " + Quoted(wanted);
    });
}

std::string Driver::ExpectColumns(const Args &args)
{
    const std::vector<std::string> wanted(args.begin() + 1, args.end());
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        HWND control = Control(args[0], error);
        if (!control) {
            return error;
        }
        const std::optional<std::vector<std::wstring>> titles = RemoteListView(control).ColumnTitles();
        if (!titles) {
            return args[0] + " did not answer";
        }
        if (NarrowAll(*titles) == wanted) {
            return std::nullopt;
        }
        return args[0] + "'s columns are " + Quoted(NarrowAll(*titles)) + ", not " + Quoted(wanted);
    });
}

std::string Driver::ExpectSelected(const Args &args)
{
    std::vector<int> wanted;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::optional<long> row = Number(args[i]);
        if (!row || *row < 0) {
            return "not a row: " + args[i];
        }
        wanted.push_back(static_cast<int>(*row));
    }
    return WaitUntil([&]() -> std::optional<std::string> {
        std::string error;
        HWND control = Control(args[0], error);
        if (!control) {
            return error;
        }
        const std::optional<std::vector<int>> rows = RemoteListView(control).SelectedRows();
        if (!rows) {
            return args[0] + " did not answer";
        }
        if (*rows == wanted) {
            return std::nullopt;
        }
        std::string seen;
        for (int row : *rows) {
            seen += " " + std::to_string(row);
        }
        return args[0] + " has these rows selected:" + (seen.empty() ? " none" : seen);
    });
}

std::string Driver::ExpectReceived(const Args &args)
{
    const auto type = kRequestTypes.find(args[1]);
    if (type == kRequestTypes.end()) {
        return "no request type " + args[1];
    }
    const char *path = std::getenv("KOVR_LAB_SIM_OUTPUT");
    if (!path || !*path) {
        return "KOVR_LAB_SIM_OUTPUT is not set: the lab has no devices";
    }
    // The header: the magic, then the type; the payload follows it.
    char typeHex[5];
    std::snprintf(typeHex, sizeof typeHex, "%04x", type->second);
    std::regex bytes;
    try {
        bytes = std::regex("[0-9a-f]{8}" + std::string(typeHex) + "[0-9a-f]{4}" + (args.size() > 3 ? args[3] : "") +
                           "[0-9a-f]*");
    } catch (const std::regex_error &) {
        return "not a regular expression: " + args[3];
    }
    return WaitUntil([&]() -> std::optional<std::string> {
        std::ifstream log(WindowsPath(path).c_str());
        std::vector<std::string> notes;
        for (std::string line; std::getline(log, line);) {
            const nlohmann::json datagram = nlohmann::json::parse(line, nullptr, false);
            if (!datagram.is_object() || datagram.value("direction", "") != "in" || !datagram["device"].is_string() ||
                datagram["device"] != args[0] || !std::regex_match(datagram.value("bytes", ""), bytes)) {
                continue;
            }
            if (datagram.value("note", "") == args[2]) {
                return std::nullopt;
            }
            notes.push_back(datagram.value("note", ""));
        }
        return "kovr-sim received no such request for " + args[0] + " that it " + args[2] +
               (notes.empty() ? "" : "; it noted " + Quoted(notes));
    });
}

std::string Driver::Screenshot(const Args &args)
{
    if (!current_ || !IsWindow(current_)) {
        return "no window to take";
    }
    // The picture is taken once two in a row are the same: the window has
    // painted what it shows.
    WindowImage image = CaptureWindow(current_);
    const std::string waited = WaitUntil([&]() -> std::optional<std::string> {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        WindowImage next = CaptureWindow(current_);
        const bool still = !next.pixels.empty() && next.width == image.width && next.height == image.height &&
                           next.pixels == image.pixels;
        image = std::move(next);
        return still ? std::nullopt : std::optional<std::string>("the window's picture keeps changing");
    });
    if (!waited.empty()) {
        return waited;
    }
    return SavePng(image, WindowsPath(args[0])) ? std::string() : "could not write " + args[0];
}

std::string Driver::Close(const Args &)
{
    if (!current_ || !Post(current_, WM_CLOSE, 0, 0)) {
        return "no window to close";
    }
    return {};
}

std::string Driver::ExitCode(const Args &args)
{
    const std::optional<long> wanted = Number(args[0]);
    if (!wanted) {
        return "not an exit code: " + args[0];
    }
    if (!program_.hProcess) {
        return "no program was started";
    }
    if (WaitForSingleObject(program_.hProcess, static_cast<DWORD>(timeout_.count())) != WAIT_OBJECT_0) {
        return "the program did not end in " + std::to_string(timeout_.count() / 1000) + " s";
    }
    DWORD code = 0;
    GetExitCodeProcess(program_.hProcess, &code);
    if (static_cast<long>(code) != *wanted) {
        return "the program ended with " + std::to_string(code) + ", not " + args[0];
    }
    return {};
}

} // namespace kovr::e2e
