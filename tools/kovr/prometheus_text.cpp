#include "tools/kovr/prometheus_text.h"

#include <cstdio>

namespace kovr::cli {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at text[at], or 0 when there is
// none: no overlong forms, surrogates or code points above U+10FFFF.
size_t Utf8SequenceLength(const std::string &text, size_t at)
{
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    size_t length;
    unsigned char low = 0x80; // bounds of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

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
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += kReplacement;
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
