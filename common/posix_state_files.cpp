#include "common/state_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
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
    return true;
}

StateFileText ReadStateFile(const std::string &path)
{
    const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        return errno == ENOENT ? StateFileText{} : Failure(std::strerror(errno));
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) {
        return Failure(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return Failure("not a regular file");
    }
    if (static_cast<size_t>(info.st_size) > kMaxStateFileSize) {
        return Failure("larger than " + std::to_string(kMaxStateFileSize) + " bytes");
    }
    StateFileText result;
    result.status = StateFileText::Status::Read;
    result.othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
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
        if (result.text.size() > kMaxStateFileSize) {
            return Failure("larger than " + std::to_string(kMaxStateFileSize) + " bytes");
        }
    }
}

} // namespace kovr::common
