// A scenario: what the driver does to a program's windows and what it
// expects of them, one command per line.
//
//   # a comment
//   window "Set IP Address"
//   set-address IpAddress 10.77.1.50
//
// Words are split at blanks; a word in double quotes keeps its blanks, and
// \" \\ and \n stand for a quote, a backslash and a line break in it. ${NAME}
// is the value the driver was given for NAME, or the environment's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kovr::e2e {

struct Step {
    int line;
    std::vector<std::string> words; // UTF-8; the command first
};

// The value of a ${NAME}, or nothing for a name that has none.
using Lookup = std::function<std::optional<std::string>(const std::string &name)>;

// The steps of a scenario's text; on a fault, nothing, and `error` says
// which line and why.
std::optional<std::vector<Step>> ParseScenario(const std::string &text, const Lookup &lookup, std::string &error);

} // namespace kovr::e2e
