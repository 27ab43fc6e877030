#include "locator/win32/file_dialog.h"

#include "locator/win32/wide_text.h"

#include <commdlg.h>

namespace kovr::locator {

namespace {

// One of the standard file dialogs (GetOpenFileNameW, GetSaveFileNameW).
std::optional<std::wstring> ShowFileDialog(BOOL(WINAPI *show)(LPOPENFILENAMEW), HWND owner, const std::string &title,
                                           const std::wstring &filters, const std::wstring &fileName,
                                           const std::wstring &extension, DWORD flags)
{
    const std::wstring caption = Wide(title);
    std::wstring path = fileName;
    path.resize(32768, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | flags;
    if (!show(&dialog)) {
        return std::nullopt;
    }
    path.resize(path.find(L'\0'));
    return path;
}

std::optional<std::wstring> ShowSaveDialog(HWND owner, const std::string &title, const std::string &filter,
                                           const std::wstring &fileName)
{
    const std::wstring filters = FileDialogFilter(filter);
    // The first filter's first pattern, "*.csv", gives "csv".
    const size_t patterns = filters.find(L'\0') + 1;
    const size_t dot = filters.find(L'.', patterns);
    const std::wstring extension = dot == std::wstring::npos
                                       ? std::wstring()
                                       : filters.substr(dot + 1, filters.find_first_of(L";", dot) - dot - 1);
    return ShowFileDialog(GetSaveFileNameW, owner, title, filters, fileName, extension, OFN_OVERWRITEPROMPT);
}

std::optional<std::wstring> ShowOpenDialog(HWND owner, const std::string &title, const std::string &filter)
{
    return ShowFileDialog(GetOpenFileNameW, owner, title, FileDialogFilter(filter), std::wstring(), std::wstring(),
                          OFN_FILEMUSTEXIST);
}

SavePathAsker g_asker = ShowSaveDialog;
OpenPathAsker g_openAsker = ShowOpenDialog;

} // namespace

std::optional<std::wstring> AskSavePath(HWND owner, const std::string &title, const std::string &filter,
                                        const std::wstring &fileName)
{
    return g_asker(owner, title, filter, fileName);
}

SavePathAsker SetSavePathAsker(SavePathAsker asker)
{
    const SavePathAsker previous = g_asker;
    g_asker = asker;
    return previous;
}

std::optional<std::wstring> AskOpenPath(HWND owner, const std::string &title, const std::string &filter)
{
    return g_openAsker(owner, title, filter);
}

OpenPathAsker SetOpenPathAsker(OpenPathAsker asker)
{
    const OpenPathAsker previous = g_openAsker;
    g_openAsker = asker;
    return previous;
}

std::wstring FileDialogFilter(const std::string &filter)
{
    std::wstring out;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t end = std::min(filter.find(";;", start), filter.size());
        const std::string entry = filter.substr(start, end - start);
        const size_t open = entry.rfind('(');
        const size_t close = entry.rfind(')');
        if (open != std::string::npos && close != std::string::npos && open < close) {
            std::string patterns = entry.substr(open + 1, close - open - 1);
            for (char &c : patterns) {
                c = c == ' ' ? ';' : c;
            }
            // "*" means every file, which Windows writes "*.*".
            out += Wide(entry) + L'\0' + (patterns == "*" ? L"*.*" : Wide(patterns)) + L'\0';
        }
        start = end + 2;
    }
    return out + L'\0';
}

std::string CodePagePath(const std::wstring &path)
{
    const int size =
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::wstring FileName(const std::wstring &path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

} // namespace kovr::locator
