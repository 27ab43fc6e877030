#include "tools/kovr/password.h"

#include "common/secret_file.h"

#include <unistd.h>

namespace kovr::cli {

bool ReadPasswordFile(const std::string &path, Password &password, std::string &error)
{
    std::string reason;
    common::OpenFileFacts facts;
    const int fd = common::OpenAndDescribe(path, facts, reason);
    if (fd < 0) {
        error = "--password-file: cannot open '" + path + "': " + reason;
        return false;
    }
    // As a plan with passwords: one that others can read is refused unread.
    if (facts.othersMayRead) {
        error = "--password-file: '" + path + "' " + common::kOthersMayReadAdvice;
        close(fd);
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
