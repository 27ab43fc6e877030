#include "common/atomic_file.h"

#include "common/write_all.h"

#include "discovery/platform/fault_injection.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kovr::common {

namespace {

// The folder a path names a file in, and the file's own name.
std::pair<std::string, std::string> SplitPath(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Fills the new file and closes it; the descriptor is closed either way.
bool FillAndClose(int fd, const std::string &text, mode_t mode)
{
    const bool written = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    const int writeError = errno;
    // A network file system may report a failed write only on close.
    const bool closed = close(fd) == 0;
    if (!written) {
        errno = writeError;
    }
    return written && closed;
}

// The rename is durable only once the folder is synced, and there is no
// syncing it before the rename that would cover the rename.
bool SyncFolder(const std::string &folder)
{
    if (platform::ShouldFail(platform::Fault::FolderSync)) {
        errno = EIO;
        return false;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0;
    const int syncError = errno;
    close(fd);
    errno = syncError;
    return synced;
}

} // namespace

Replacement ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &error, Readers readers)
{
    const auto [folder, base] = SplitPath(path);
    // A dot file without the final name's extension, so that a reader
    // that picks files by extension never takes it.
    std::string temporary = folder + "/." + base + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return Replacement::Failed;
    }
    temporary = name.data();
    if (!FillAndClose(fd, text, readers == Readers::OwnerOnly ? 0600 : 0644) ||
        rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        unlink(temporary.c_str());
        return Replacement::Failed;
    }
    if (!SyncFolder(folder)) {
        error = std::strerror(errno);
        return Replacement::NotDurable;
    }
    return Replacement::Done;
}

} // namespace kovr::common
