#include "common/state_files.h"

#include "discovery/platform/system_errors.h"

#include <cstdlib>

#include <windows.h>

namespace kovr::common {

namespace {

StateFileText Failure(const std::string &why)
{
    StateFileText result;
    result.status = StateFileText::Status::Failed;
    result.error = why;
    return result;
}

// Closes the handle however the read ends.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace

std::string StateFolder()
{
    // In the system's code page, as the other files kovr opens.
    const char *local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || local[0] == '\0') {
        return {};
    }
    return std::string(local) + "\\kovr";
}

std::string StateFile(const std::string &name)
{
    const std::string folder = StateFolder();
    return folder.empty() ? folder : folder + "\\" + name;
}

bool MakePrivateFolder(const std::string &folder, std::string &error)
{
    // %LOCALAPPDATA% is the user's own already; its folders inherit that.
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return true;
        }
        error = folder + ": not a folder";
        return false;
    }
    error = folder + ": " + platform::SystemErrorText(platform::LastSystemError());
    return false;
}

StateFileText ReadStateFile(const std::string &path)
{
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxStateFileSize) {
        return Failure("larger than " + std::to_string(kMaxStateFileSize) + " bytes");
    }
    StateFileText result;
    result.status = StateFileText::Status::Read;
    result.text.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!result.text.empty() &&
        (!ReadFile(file.get(), result.text.data(), static_cast<DWORD>(result.text.size()), &read, nullptr) ||
         read != result.text.size())) {
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    return result;
}

} // namespace kovr::common
