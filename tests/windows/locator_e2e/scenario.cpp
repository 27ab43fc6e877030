#include "tests/windows/locator_e2e/scenario.h"

#include <cctype>

namespace kovr::e2e {

namespace {

// Replaces each ${NAME} in a word.
bool Expand(std::string &word, const Lookup &lookup, std::string &error)
{
    for (size_t start = word.find("${"); start != std::string::npos; start = word.find("${", start)) {
        const size_t end = word.find('}', start);
        if (end == std::string::npos) {
            error = "an unclosed ${";
            return false;
        }
        const std::string name = word.substr(start + 2, end - start - 2);
        const std::optional<std::string> value = lookup(name);
        if (!value) {
            error = "nothing given for ${" + name + "}";
            return false;
        }
        word.replace(start, end - start + 1, *value);
        start += value->size();
    }
    return true;
}

bool SplitLine(const std::string &line, const Lookup &lookup, std::vector<std::string> &words, std::string &error)
{
    size_t i = 0;
    while (true) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i == line.size() || line[i] == '#') {
            return true;
        }
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    ++i;
                    word += line[i] == 'n' ? '\n' : line[i];
                } else {
                    word += line[i];
                }
            }
            if (i == line.size()) {
                error = "an unclosed quote";
                return false;
            }
            ++i;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                word += line[i++];
            }
        }
        if (!Expand(word, lookup, error)) {
            return false;
        }
        words.push_back(std::move(word));
    }
}

} // namespace

std::optional<std::vector<Step>> ParseScenario(const std::string &text, const Lookup &lookup, std::string &error)
{
    std::vector<Step> steps;
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = end + 1;
        ++number;
        Step step{number, {}};
        if (!SplitLine(line, lookup, step.words, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return std::nullopt;
        }
        if (!step.words.empty()) {
            steps.push_back(std::move(step));
        }
    }
    return steps;
}

} // namespace kovr::e2e
