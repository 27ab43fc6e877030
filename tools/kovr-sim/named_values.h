// The names by which the command line and the device file give a choice
// (an authentication mode, a kind of flood, a malformation): each list is
// one table of names and values, read both ways from here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kovr::sim {

template <typename T, size_t N>
using NameTable = std::pair<const char *, T>[N];

// The value of that name; nullopt when the table has no such name.
template <typename T, size_t N>
std::optional<T> ValueNamed(const NameTable<T, N> &table, const std::string &name)
{
    for (const auto &[text, value] : table) {
        if (name == text) {
            return value;
        }
    }
    return std::nullopt;
}

// The name of that value; the table holds every value.
template <typename T, size_t N>
std::string NameOf(const NameTable<T, N> &table, T value)
{
    for (const auto &[text, entry] : table) {
        if (entry == value) {
            return text;
        }
    }
    return {};
}

// Every name, in the table's order.
template <typename T, size_t N>
std::vector<std::string> NamesOf(const NameTable<T, N> &table)
{
    std::vector<std::string> names;
    for (const auto &entry : table) {
        names.emplace_back(entry.first);
    }
    return names;
}

} // namespace kovr::sim
