// How kovr metrics writes Prometheus text: label values that device names
// can't break out of, each series once, and a failed search that doesn't
// pass for an empty network.
#include "tools/kovr/metrics_text.h"
#include "tools/kovr/prometheus_text.h"

#include <gtest/gtest.h>

#include "tests/support/records.h"

using namespace kovr::cli;

namespace {

TEST(CliPrometheusTextTest, LabelValuesAreEscapedAndInvalidUtf8Replaced)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        std::string text;
        std::string label;
    } cases[] = {
        {"lobby-camera", "lobby-camera"},
        {"a\\b", "a\\\\b"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"one\ntwo", "one\\ntwo"},
        {"x\"} 1\nkovr_devices{y=\"", "x\\\"} 1\\nkovr_devices{y=\\\""},
        // Other control characters are legal as they stand.
        {"tab\tcr\r", "tab\tcr\r"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7"},
        {"caf\xE9", "caf" + replacement},
        {"\x80x", replacement + "x"},
        // A sequence cut short, at the end or by another character.
        {"\xE2\x82", replacement + replacement},
        {"\xE2\x82\"", replacement + replacement + "\\\""},
        // Overlong forms, a surrogate, beyond U+10FFFF, and bytes never used.
        {"\xC0\xAF", replacement + replacement},
        {"\xE0\x80\xAF", replacement + replacement + replacement},
        {"\xF0\x8F\xBF\xBF", replacement + replacement + replacement + replacement},
        {"\xED\xA0\x80", replacement + replacement + replacement},
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},
        {"\xF5\xFE\xFF", replacement + replacement + replacement},
        // The longest valid forms at the edges.
        {"\xED\x9F\xBF\xF4\x8F\xBF\xBF", "\xED\x9F\xBF\xF4\x8F\xBF\xBF"},
        {"\xC3\\", replacement + "\\\\"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PrometheusLabelValue(c.text), c.label) << c.text;
    }
}

TEST(CliPrometheusTextTest, EachSeriesIsWrittenOncePerFamily)
{
    PrometheusText out;
    out.StartGauge("a", "First.");
    out.AddSample({{"name", "x"}}, 1);
    out.AddSample({{"name", "x"}}, 1);
    out.AddSample({{"name", "y"}}, 2.5);
    out.StartGauge("b", "Second.");
    out.AddSample({{"name", "x"}}, 1);
    out.AddSample({}, 1796687965.917);
    EXPECT_EQ(out.text(), "# HELP a First.\n# TYPE a gauge\n"
                          "a{name=\"x\"} 1\na{name=\"y\"} 2.5\n"
                          "# HELP b Second.\n# TYPE b gauge\n"
                          "b{name=\"x\"} 1\nb 1796687965.917\n");
}

TEST(CliMetricsTextTest, AFailedSearchWritesOnlyHowTheRunWent)
{
    SearchRun run;
    run.duration = std::chrono::milliseconds(1250);
    run.finished = std::chrono::system_clock::time_point(std::chrono::seconds(1796687965));
    const std::vector<KOVRDeviceInfoRecord> devices = {kovr::test::FullRecord()};
    const std::vector<kovr::common::LocalSubnet> interfaces = {{kovr::test::Address(10, 77, 1, 1), 0x00FFFFFF}};
    EXPECT_EQ(MetricsText(run, devices, {}, interfaces, {{kovr::test::Address(10, 77, 1, 1), "eth0"}}),
              "# HELP kovr_search_duration_seconds How long the search took.\n"
              "# TYPE kovr_search_duration_seconds gauge\n"
              "kovr_search_duration_seconds 1.25\n"
              "# HELP kovr_search_success 1 when the search ran, 0 when it failed.\n"
              "# TYPE kovr_search_success gauge\n"
              "kovr_search_success 0\n"
              "# HELP kovr_last_run_timestamp_seconds When the search ended, in seconds since the Unix epoch.\n"
              "# TYPE kovr_last_run_timestamp_seconds gauge\n"
              "kovr_last_run_timestamp_seconds 1796687965\n");
}

} // namespace
