#include "common/state_files.h"

#include "common/win32_file_access.h"

#include "discovery/platform/system_errors.h"

#include <cstdlib>

#include <windows.h>

#include <aclapi.h>

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

// Writing, appending, making or removing files in a folder, and changing
// who may.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                      WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// What lets another user change the file or folder at `path`, from its
// owner and access list; empty when nothing does.
std::string OthersMayChange(const std::string &path, const std::string &what)
{
    PSID owner = nullptr;
    ACL *dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result =
        GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        return what + "'s owner and access can't be read (" +
               platform::SystemErrorText(static_cast<platform::SystemError>(result)) + ")";
    }
    std::string why;
    if (owner == nullptr || !IsOwnOrSystemSid(owner)) {
        why = what + " belongs to another user";
    } else if (GrantsToOthers(dacl, kChangeRights)) {
        why = what + " may be written by other users";
    }
    LocalFree(descriptor);
    return why;
}

std::string FolderMayBeChanged(const std::string &path)
{
    const size_t separator = path.find_last_of("/\\");
    const std::string folder = separator == std::string::npos ? "." : path.substr(0, separator);
    return OthersMayChange(folder, "its folder " + folder);
}

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

StateFileText ReadStateFile(const std::string &path, size_t maxBytes)
{
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            // Whoever may write the folder may plant a file in it.
            StateFileText missing;
            missing.othersMayChange = FolderMayBeChanged(path);
            return missing;
        }
        if (error == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return Failure("larger than " + std::to_string(maxBytes) + " bytes");
    }
    StateFileText result;
    result.status = StateFileText::Status::Read;
    result.othersMayChange = OthersMayChange(path, "it");
    if (result.othersMayChange.empty()) {
        result.othersMayChange = FolderMayBeChanged(path);
    }
    result.text.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!result.text.empty() &&
        (!ReadFile(file.get(), result.text.data(), static_cast<DWORD>(result.text.size()), &read, nullptr) ||
         read != result.text.size())) {
        return Failure(platform::SystemErrorText(platform::LastSystemError()));
    }
    return result;
}

StateFileLock::~StateFileLock()
{
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_)); // releases the lock
    }
}

bool StateFileLock::Open(const std::string &path, std::string &error)
{
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = path + ": " + platform::SystemErrorText(platform::LastSystemError());
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return true;
}

StateFileLock::Attempt StateFileLock::TryOnce(const std::string &path, std::string &error)
{
    OVERLAPPED at{};
    if (LockFileEx(reinterpret_cast<HANDLE>(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &at)) {
        return Attempt::Taken;
    }
    if (GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING) {
        return Attempt::Busy;
    }
    error = path + ": " + platform::SystemErrorText(platform::LastSystemError());
    return Attempt::Failed;
}

} // namespace kovr::common
