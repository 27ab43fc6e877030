#include "common/password.h"

#include "common/utf16_text.h"
#include "discovery/platform/secure_zero.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace kovr::common {

const char kHoldsNul[] = "the password holds a NUL character";

Password::Password()
{
    Clear();
}

Password::~Password()
{
    Clear();
}

void Password::Clear()
{
    platform::SecureZero(buffer_, sizeof buffer_);
    size_ = 0;
}

bool Password::Assign(const char *text, size_t length)
{
    Clear();
    if (length >= kCapacity) {
        return false;
    }
    std::memcpy(buffer_, text, length);
    size_ = length;
    return true;
}

bool Password::AssignUtf16(const char16_t *text, size_t length)
{
    Clear();
    const std::optional<size_t> size = Utf8FromUtf16(text, length, buffer_, kCapacity - 1);
    if (!size) {
        Clear();
        return false;
    }
    size_ = *size;
    return true;
}

bool Password::ReadLine(int fd, std::string &error)
{
    Clear();
    for (;;) {
        if (size_ == kCapacity - 1) {
            // Full: only a line ending that comes next still makes it fit.
            char next = 0;
            ssize_t n;
            do {
                n = read(fd, &next, 1);
            } while (n < 0 && errno == EINTR);
            const bool fits = n == 0 || next == '\n';
            platform::SecureZero(&next, sizeof next);
            if (!fits) {
                Clear();
                error = "the password is longer than " + std::to_string(kCapacity - 1) + " bytes";
                return false;
            }
            break;
        }
        const ssize_t n = read(fd, buffer_ + size_, kCapacity - 1 - size_);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("cannot read the password: ") + std::strerror(errno);
            Clear();
            return false;
        }
        if (n == 0) {
            break;
        }
        char *newline = static_cast<char *>(std::memchr(buffer_ + size_, '\n', static_cast<size_t>(n)));
        if (newline != nullptr) {
            size_ = static_cast<size_t>(newline - buffer_);
            break;
        }
        size_ += static_cast<size_t>(n);
    }
    if (size_ > 0 && buffer_[size_ - 1] == '\r') {
        --size_;
    }
    // Whatever was read past the line goes too.
    platform::SecureZero(buffer_ + size_, kCapacity - size_);
    // Only the part before a NUL would be sent.
    if (std::memchr(buffer_, '\0', size_) != nullptr) {
        Clear();
        error = kHoldsNul;
        return false;
    }
    return true;
}

} // namespace kovr::common
