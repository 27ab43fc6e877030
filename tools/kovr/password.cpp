#include "tools/kovr/password.h"

#include "common/secret_file.h"

#include <unistd.h>

namespace kovr::cli {

bool ReadPasswordFile(const std::string &path, Password &password, std::string &error)
{
    std::string reason;
    const int fd = common::OpenForReading(path, reason);
    if (fd < 0) {
        error = "--password-file: cannot open '" + path + "': " + reason;
        return false;
    }
    const bool ok = password.ReadLine(fd, error);
    close(fd);
    if (!ok) {
        error = "--password-file: " + error;
    }
    return ok;
}

bool ReadPassword(const PasswordSource &source, const std::string &prompt, Password &password, std::string &error)
{
    if (!source.file.empty()) {
        return ReadPasswordFile(source.file, password, error);
    }
    if (source.fromStdin) {
        if (!password.ReadLine(STDIN_FILENO, error)) {
            error = "--password-stdin: " + error;
            return false;
        }
        return true;
    }
    return PromptForPassword(prompt, password, error);
}

} // namespace kovr::cli
