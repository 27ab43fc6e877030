#include "common/state_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kovr::common {

namespace {

// Closes the descriptor however the read ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

StateFileText Failure(const std::string &why)
{
    StateFileText result;
    result.status = StateFileText::Status::Failed;
    result.error = why;
    return result;
}

// What lets another user change a file or folder of this one's: its owner
// or its mode. Empty when nothing does.
std::string OthersMayChange(const struct stat &info, const std::string &what)
{
    if (info.st_uid != geteuid()) {
        return what + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return what + " may be written by group or others";
    }
    return {};
}

// The same for the folder that holds `path`, which decides who may replace,
// remove or plant the file.
std::string FolderMayBeChanged(const std::string &path)
{
    const size_t separator = path.rfind('/');
    const std::string folder = separator == std::string::npos ? "." : path.substr(0, separator == 0 ? 1 : separator);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        return {};
    }
    return OthersMayChange(info, "its folder " + folder);
}

} // namespace

std::string StateFolder()
{
    const char *state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/kovr";
    }
    const char *home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/state/kovr";
    }
    return {};
}

std::string StateFile(const std::string &name)
{
    const std::string folder = StateFolder();
    return folder.empty() ? folder : folder + "/" + name;
}

bool MakePrivateFolder(const std::string &folder, std::string &error)
{
    // Each missing folder on the way, the way mkdir -p -m 0700 makes them.
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string step = folder.substr(0, end);
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
            error = step + ": " + std::strerror(errno);
            return false;
        }
        if (end == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = folder + ": not a folder";
        return false;
    }
    // One made before, or by hand, with a looser mode: the pins in it are
    // only as safe as the folder.
    if (info.st_uid == geteuid() && (info.st_mode & 0077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

StateFileText ReadStateFile(const std::string &path, size_t maxBytes)
{
    const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno != ENOENT) {
            return Failure(std::strerror(errno));
        }
        // Whoever may write the folder may plant a file in it.
        StateFileText missing;
        missing.othersMayChange = FolderMayBeChanged(path);
        return missing;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) {
        return Failure(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return Failure("not a regular file");
    }
    if (static_cast<size_t>(info.st_size) > maxBytes) {
        return Failure("larger than " + std::to_string(maxBytes) + " bytes");
    }
    StateFileText result;
    result.status = StateFileText::Status::Read;
    result.othersMayChange = OthersMayChange(info, "it");
    if (result.othersMayChange.empty()) {
        result.othersMayChange = FolderMayBeChanged(path);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failure(std::strerror(errno));
        }
        if (n == 0) {
            return result;
        }
        result.text.append(buffer, static_cast<size_t>(n));
        if (result.text.size() > maxBytes) {
            return Failure("larger than " + std::to_string(maxBytes) + " bytes");
        }
    }
}

StateFileLock::~StateFileLock()
{
    if (handle_ >= 0) {
        close(static_cast<int>(handle_)); // releases the flock
    }
}

bool StateFileLock::Open(const std::string &path, std::string &error)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    handle_ = fd;
    return true;
}

StateFileLock::Attempt StateFileLock::TryOnce(const std::string &path, std::string &error)
{
    if (flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0) {
        return Attempt::Taken;
    }
    if (errno == EWOULDBLOCK || errno == EINTR) {
        return Attempt::Busy;
    }
    error = path + ": " + std::strerror(errno);
    return Attempt::Failed;
}

} // namespace kovr::common
