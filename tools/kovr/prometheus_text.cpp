#include "tools/kovr/prometheus_text.h"

#include "common/printable_text.h"

#include <cstdio>

namespace kovr::cli {

namespace {

std::string SampleValue(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

} // namespace

std::string PrometheusLabelValue(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t length = common::Utf8SequenceLength(text, at);
        if (length == 0) {
            out += common::kUtf8Replacement;
            ++at;
            continue;
        }
        const char c = text[at];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

void PrometheusText::StartGauge(const char *name, const char *help)
{
    name_ = name;
    familyLabels_.clear();
    text_ += std::string("# HELP ") + name + ' ' + help + "\n# TYPE " + name + " gauge\n";
}

void PrometheusText::AddSample(const PrometheusLabels &labels, double value)
{
    std::string series;
    for (const auto &[label, labelValue] : labels) {
        series += (series.empty() ? "{" : ",") + std::string(label) + "=\"" + PrometheusLabelValue(labelValue) + '"';
    }
    if (!series.empty()) {
        series += '}';
    }
    if (!familyLabels_.insert(series).second) {
        return;
    }
    text_ += name_ + series + ' ' + SampleValue(value) + '\n';
}

} // namespace kovr::cli
