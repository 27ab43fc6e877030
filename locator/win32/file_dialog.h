#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kovr::locator {

// The standard Save As dialog: the path the user chose, or none.
// `filter` is in the core's form ("CSV files (*.csv);;All files (*)"), and
// the first filter's extension is added to a name typed without one.
// Tests replace the asker; it returns the one that was in place.
std::optional<std::wstring> AskSavePath(HWND owner, const std::string &title, const std::string &filter,
                                        const std::wstring &fileName);
using SavePathAsker = std::optional<std::wstring> (*)(HWND owner, const std::string &title, const std::string &filter,
                                                      const std::wstring &fileName);
SavePathAsker SetSavePathAsker(SavePathAsker asker);

// The standard Open dialog: the path of an existing file the user chose,
// or none. Tests replace it as they do the Save As dialog.
std::optional<std::wstring> AskOpenPath(HWND owner, const std::string &title, const std::string &filter);
using OpenPathAsker = std::optional<std::wstring> (*)(HWND owner, const std::string &title, const std::string &filter);
OpenPathAsker SetOpenPathAsker(OpenPathAsker asker);

// A chosen path in the system's code page: common's plan loader opens the
// path as kovr.exe takes one from its command line.
std::string CodePagePath(const std::wstring &path);
// The path's last part: all of it when there is no folder.
std::wstring FileName(const std::wstring &path);

// The core's filter as the file dialogs take it: each name, then its
// patterns separated by ';', all ending with NUL, and a NUL at the end.
std::wstring FileDialogFilter(const std::string &filter);

} // namespace kovr::locator
