// A device password held in one fixed buffer that is wiped when it goes
// away, so that no copy is left behind in freed memory.
#pragma once

#include <cstddef>
#include <string>

namespace kovr::common {

// Why a password with a NUL is refused: only the part before it would be sent.
extern const char kHoldsNul[];

class Password {
public:
    // Room for the text and its terminator.
    static constexpr size_t kCapacity = 1024;

    Password();
    ~Password();
    Password(const Password &) = delete;
    Password &operator=(const Password &) = delete;

    const char *c_str() const { return buffer_; }
    size_t size() const { return size_; }

    // Reads one line from fd, up to a newline (dropped, with a carriage
    // return before it) or the end of the input. False with a message when
    // the read fails, the line doesn't fit or it holds a NUL.
    bool ReadLine(int fd, std::string &error);
    // Copies the text; false when it doesn't fit.
    bool Assign(const char *text, size_t length);
    // The text as UTF-8, the bytes every program of ours sends for a typed
    // password whatever the system's own encoding; false, and empty, when
    // they don't fit.
    bool AssignUtf16(const char16_t *text, size_t length);
    void Clear();

private:
    char buffer_[kCapacity];
    size_t size_ = 0;
};

} // namespace kovr::common
