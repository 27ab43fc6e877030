// kovr's text on a Windows console: UTF-8 becomes UTF-16 as it is written,
// however the pieces fall.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tools/kovr/win32_console_output.h"

namespace kovr::cli {
namespace {

constexpr wchar_t kReplacement = L'\uFFFD';

TEST(ConsoleOutput, Utf8BecomesUtf16)
{
    const struct {
        std::string utf8;
        std::wstring utf16;
    } cases[] = {
        {"", L""},           {"dispatch", L"dispatch"}, {u8"Süd", L"Süd"},
        {u8"東京", L"東京"}, {u8"📷", L"\xD83D\xDCF7"},  {"a\xFF!", std::wstring(L"a") + kReplacement + L"!"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
    }
}

TEST(ConsoleOutput, TheStartOfASequenceAtTheEndIsHeldBack)
{
    const struct {
        std::string text;
        size_t complete;
    } cases[] = {
        {"", 0},         {"abc", 3},           {u8"Sü", 3}, {"S\xC3", 1},
        {"\xE6\x9D", 0}, {"x\xF0\x9F\x93", 1}, {u8"x📷", 5}, {"\xBC\xBC", 2}, // no sequence to wait for
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CompleteUtf8Length(c.text), c.complete) << c.text;
    }
}

// A stream that hands its text on as UTF-16.
struct Utf16Stream {
    std::wstring received;
    Utf16StreamBuffer buffer{[this](const std::wstring &text) { received += text; }};
    std::ostream stream{&buffer};
};

TEST(ConsoleOutput, ASequenceSplitBetweenWritesArrivesWhole)
{
    const struct {
        std::vector<std::string> pieces;
        std::wstring received;
    } cases[] = {
        {{"S\xC3", "\xBC!"}, L"Sü!"},
        {{"\xE6", "\x9D", "\xB1"}, L"東"},
        {{"\xF0\x9F", "\x93\xB7", " ok"}, L"\xD83D\xDCF7 ok"},
    };
    for (const auto &c : cases) {
        Utf16Stream out;
        for (const std::string &piece : c.pieces) {
            out.stream << piece;
        }
        EXPECT_EQ(out.received, c.received);
    }
    Utf16Stream byteByByte;
    for (const char byte : std::string(u8"東")) {
        byteByByte.stream.put(byte);
    }
    EXPECT_EQ(byteByByte.received, L"東");
}

TEST(ConsoleOutput, ASequenceLeftIncompleteEndsAsAReplacement)
{
    std::wstring received;
    {
        Utf16StreamBuffer buffer([&](const std::wstring &text) { received += text; });
        std::ostream(&buffer) << "x\xE6\x9D";
        EXPECT_EQ(received, L"x");
    }
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front(), L'x');
    EXPECT_NE(received.find(kReplacement), std::wstring::npos);
}

} // namespace
} // namespace kovr::cli
