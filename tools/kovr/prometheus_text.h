// Prometheus' text exposition format, version 0.0.4: gauge families with
// their HELP and TYPE lines, and label values that device text can't break
// out of.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kovr::cli {

// A label value as it stands between its quotes: backslash, double quote
// and line feed escaped, and every byte that isn't part of valid UTF-8
// replaced by U+FFFD, which the format's readers require.
std::string PrometheusLabelValue(const std::string &text);

// Label names with their values, in the order they are written.
using PrometheusLabels = std::vector<std::pair<const char *, std::string>>;

class PrometheusText {
public:
    // Starts a family; its samples follow until the next one starts.
    void StartGauge(const char *name, const char *help);
    // One series of the family started last. A series whose labels the
    // family already has is left out: two devices with the same texts
    // must not make a file that readers refuse.
    void AddSample(const PrometheusLabels &labels, double value);

    const std::string &text() const { return text_; }

private:
    std::string name_;
    std::set<std::string> familyLabels_;
    std::string text_;
};

} // namespace kovr::cli
