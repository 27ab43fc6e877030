// The parts of ConsoleOutput on Windows: UTF-8 text turned into UTF-16 as
// it is written, whatever the pieces it comes in.
#pragma once

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace kovr::cli {

// An invalid sequence becomes U+FFFD.
std::wstring Utf16FromUtf8(std::string_view text);

// How much of the text is whole UTF-8 sequences: all of it, unless it ends
// in the first bytes of a sequence whose rest is still to come.
size_t CompleteUtf8Length(std::string_view text);

// Passes what is written on at once, as UTF-16, to the sink. The start of
// a sequence at the end of one write waits for its rest in the next.
class Utf16StreamBuffer : public std::streambuf {
public:
    using Sink = std::function<void(const std::wstring &text)>;

    explicit Utf16StreamBuffer(Sink sink);
    // A sequence left incomplete goes out as U+FFFD.
    ~Utf16StreamBuffer() override;
    Utf16StreamBuffer(const Utf16StreamBuffer &) = delete;
    Utf16StreamBuffer &operator=(const Utf16StreamBuffer &) = delete;

protected:
    std::streamsize xsputn(const char *text, std::streamsize length) override;
    int_type overflow(int_type c) override;

private:
    void Write(std::string_view text);

    Sink sink_;
    std::string pending_;
};

} // namespace kovr::cli
