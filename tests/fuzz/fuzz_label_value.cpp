// Any device text through PrometheusLabelValue: the result reads back, by
// the format's own rules, as valid UTF-8 (as iconv judges it) with no way
// out of its quotes, and as the very text when that was valid already.
#include <cstdlib>
#include <optional>
#include <string>

#include <iconv.h>

#include "tools/kovr/prometheus_text.h"

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// The text between a label's quotes as a reader takes it; none when a
// reader would refuse it or the value would end early.
std::optional<std::string> Unescape(const std::string &label)
{
    std::string text;
    for (size_t i = 0; i < label.size(); ++i) {
        const char c = label[i];
        if (c == '"' || c == '\n') {
            return std::nullopt;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == label.size()) {
            return std::nullopt;
        }
        const char escaped = label[i];
        if (escaped != '\\' && escaped != '"' && escaped != 'n') {
            return std::nullopt;
        }
        text += escaped == 'n' ? '\n' : escaped;
    }
    return text;
}

bool IsUtf8(const std::string &text)
{
    static const iconv_t converter = iconv_open("UTF-32LE", "UTF-8");
    Require(converter != reinterpret_cast<iconv_t>(-1));
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char *inNext = in.data();
    size_t inLeft = in.size();
    char *outNext = out.data();
    size_t outLeft = out.size();
    return iconv(converter, &inNext, &inLeft, &outNext, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::optional<std::string> read = Unescape(kovr::cli::PrometheusLabelValue(text));
    Require(read.has_value());
    Require(IsUtf8(*read));
    Require(!IsUtf8(text) || *read == text);
    return 0;
}
