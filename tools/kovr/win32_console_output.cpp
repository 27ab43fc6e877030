#include "tools/kovr/win32_console_output.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

#include "tools/kovr/console_output.h"

namespace kovr::cli {

namespace {

// In pieces that older consoles take in one call, never between the two
// halves of a surrogate pair.
constexpr size_t kConsoleChunk = 8192;

void WriteToConsole(HANDLE console, const std::wstring &text)
{
    size_t done = 0;
    while (done < text.size()) {
        size_t chunk = std::min(text.size() - done, kConsoleChunk);
        if (chunk > 1 && IS_HIGH_SURROGATE(text[done + chunk - 1])) {
            --chunk;
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + done, static_cast<DWORD>(chunk), &written, nullptr) || written == 0) {
            return;
        }
        done += written;
    }
}

} // namespace

std::wstring Utf16FromUtf8(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

size_t CompleteUtf8Length(std::string_view text)
{
    // The last sequence's first byte is at most three continuation bytes back.
    for (size_t back = 1; back <= std::min<size_t>(text.size(), 4); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        const size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return back < needed ? text.size() - back : text.size();
    }
    return text.size();
}

Utf16StreamBuffer::Utf16StreamBuffer(Sink sink) : sink_(std::move(sink)) {}

Utf16StreamBuffer::~Utf16StreamBuffer()
{
    if (!pending_.empty()) {
        sink_(Utf16FromUtf8(pending_));
    }
}

std::streamsize Utf16StreamBuffer::xsputn(const char *text, std::streamsize length)
{
    Write(std::string_view(text, static_cast<size_t>(length)));
    return length;
}

Utf16StreamBuffer::int_type Utf16StreamBuffer::overflow(int_type c)
{
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        const char byte = traits_type::to_char_type(c);
        Write(std::string_view(&byte, 1));
    }
    return traits_type::not_eof(c);
}

void Utf16StreamBuffer::Write(std::string_view text)
{
    pending_.append(text);
    const size_t complete = CompleteUtf8Length(pending_);
    if (complete > 0) {
        sink_(Utf16FromUtf8(std::string_view(pending_).substr(0, complete)));
        pending_.erase(0, complete);
    }
}

struct ConsoleOutput::Streams {
    struct Redirected {
        std::ostream *stream;
        std::streambuf *previous;
        std::unique_ptr<Utf16StreamBuffer> buffer;
    };
    std::vector<Redirected> redirected;
};

ConsoleOutput::ConsoleOutput() : streams_(std::make_unique<Streams>())
{
    const std::pair<std::ostream *, DWORD> standard[] = {{&std::cout, STD_OUTPUT_HANDLE},
                                                         {&std::cerr, STD_ERROR_HANDLE}};
    for (const auto &[stream, which] : standard) {
        const HANDLE handle = GetStdHandle(which);
        DWORD mode = 0;
        // Only a console has a mode.
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
            continue;
        }
        auto buffer =
            std::make_unique<Utf16StreamBuffer>([handle](const std::wstring &text) { WriteToConsole(handle, text); });
        stream->flush();
        std::streambuf *previous = stream->rdbuf(buffer.get());
        streams_->redirected.push_back({stream, previous, std::move(buffer)});
    }
}

ConsoleOutput::~ConsoleOutput()
{
    for (Streams::Redirected &redirected : streams_->redirected) {
        redirected.stream->rdbuf(redirected.previous);
    }
}

void KeepLineFeedsOnStandardOutput()
{
    std::cout.flush();
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace kovr::cli
