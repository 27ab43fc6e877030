// Plans for kovr apply: CSV as kovr search writes it or as a spreadsheet
// saves it, JSON, and every fault that must stop a plan before anything
// is sent, named by its line or index.
#include "common/plan.h"

#include "common/ipv4_text.h"

#include <gtest/gtest.h>

using namespace kovr::common;

namespace {

// An entry as "mac request [password]", or each error, one per line.
std::string Outcome(const std::string &text)
{
    std::vector<PlanRow> rows;
    std::string error;
    if (!ReadPlanText(text, rows, error)) {
        return error;
    }
    std::vector<std::string> errors;
    const std::vector<PlanEntry> entries = ValidatePlan(std::move(rows), errors);
    std::string outcome;
    for (const std::string &message : errors) {
        outcome += message + "\n";
    }
    for (const PlanEntry &entry : entries) {
        outcome += FormatMac(entry.mac.data());
        switch (entry.request) {
        case Request::None:
            outcome += " none";
            break;
        case Request::Dhcp:
            outcome += " dhcp";
            break;
        case Request::Static:
            outcome += " " + FormatIpv4(entry.setting.ip) + "/" + FormatIpv4(entry.setting.mask) + "/" +
                       FormatIpv4(entry.setting.gateway);
            break;
        }
        outcome += entry.password ? " [" + std::string(entry.password->c_str()) + "]\n" : "\n";
    }
    return outcome;
}

struct PlanCase {
    const char *name;
    std::string text;
    std::string expected;
};

void PrintTo(const PlanCase &planCase, std::ostream *out)
{
    *out << planCase.name;
}

class CliPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(CliPlanTest, ReadsAndChecksThePlan)
{
    EXPECT_EQ(Outcome(GetParam().text), GetParam().expected);
}

const PlanCase kCases[] = {
    {"SearchCsvIsAPlan",
     "ip,mac,name,product,dhcp,interface,mask,gateway\n"
     "10.77.1.11,02:00:00:00:00:01,lab-1,7100-NT,Disabled,10.77.1.1,255.255.255.0,10.77.1.254\n"
     "10.77.1.12,02:00:00:00:00:02,\"front \"\"door\"\", left\",7100-NT,Enabled,10.77.1.1,0.0.0.0,bad\n"
     "10.77.1.13,02:00:00:00:00:03,\"two\nlines\",7100-NT,N/A,10.77.1.1,255.255.0.0,10.77.1.254\n",
     "02:00:00:00:00:01 10.77.1.11/255.255.255.0/10.77.1.254\n"
     "02:00:00:00:00:02 dhcp\n"
     "02:00:00:00:00:03 10.77.1.13/255.255.0.0/10.77.1.254\n"},
    {"SpreadsheetCsv",
     "\xEF\xBB\xBF MAC ,Gateway,IP,Mask,Notes,DHCP,Password\r\n"
     "\r\n"
     "02-00-00-00-00-0A, 10.0.0.1 ,10.0.0.5,255.255.255.0,,off, two words \r\n"
     "02:00:00:00:00:0b,,,,,on,\r\n"
     "02:00:00:00:00:0c,,,,,,\r\n"
     "02:00:00:00:00:0d,10.0.0.1,10.0.0.6,255.255.255.0,,0,x",
     "02:00:00:00:00:0a 10.0.0.5/255.255.255.0/10.0.0.1 [ two words ]\n"
     "02:00:00:00:00:0b dhcp\n"
     "02:00:00:00:00:0c none\n"
     "02:00:00:00:00:0d 10.0.0.6/255.255.255.0/10.0.0.1 [x]\n"},
    {"DhcpSpellings",
     "mac,dhcp\n02:00:00:00:00:01,Enabled\n02:00:00:00:00:02,TRUE\n02:00:00:00:00:03,1\n02:00:00:00:00:04,false\n",
     "02:00:00:00:00:01 dhcp\n02:00:00:00:00:02 dhcp\n02:00:00:00:00:03 dhcp\n02:00:00:00:00:04 none\n"},
    {"Json",
     " [{\"MAC\": \"02:00:00:00:00:01\", \"dhcp\": true, \"password\": \"p\"},\n"
     "  {\"mac\": \"02:00:00:00:00:02\", \"dhcp\": 0, \"ip\": \"10.0.0.5\", \"mask\": \"255.0.0.0\","
     " \"gateway\": \"10.0.0.1\", \"name\": null, \"Password\": 1234}]",
     "02:00:00:00:00:01 dhcp [p]\n02:00:00:00:00:02 10.0.0.5/255.0.0.0/10.0.0.1 [1234]\n"},
    {"EveryRowFault",
     "mac,ip,mask,gateway,dhcp\n"
     "02:00:00:00:00:1,,,,\n"
     ",10.0.0.5,255.255.255.0,10.0.0.1,\n"
     "ff:ff:ff:ff:ff:ff,,,,on\n"
     "02:00:00:00:00:02,10.0.0.256,255.255.0.255,10.0.0.01,\n"
     "02:00:00:00:00:03,10.0.0.5,0.0.0.0,10.0.0.1,\n"
     "02:00:00:00:00:04,10.0.0.5,,,off\n"
     "02:00:00:00:00:05,,,,maybe\n"
     "02:00:00:00:00:06,,,,on\n"
     "02-00-00-00-00-06,,,,on\n",
     "line 2: mac '02:00:00:00:00:1' is not the MAC address of one device\n"
     "line 3: no mac\n"
     "line 4: mac 'ff:ff:ff:ff:ff:ff' is not the MAC address of one device\n"
     "line 5: ip '10.0.0.256' is not an IPv4 address\n"
     "line 5: mask '255.255.0.255' is not a subnet mask such as 255.255.255.0\n"
     "line 5: gateway '10.0.0.01' is not an IPv4 address\n"
     "line 6: mask '0.0.0.0' is not a subnet mask such as 255.255.255.0\n"
     "line 7: a static setting needs ip, mask and gateway; missing mask gateway\n"
     "line 8: dhcp 'maybe' is not Enabled/Disabled, on/off, 1/0 or true/false\n"
     "line 10: 02:00:00:00:00:06 is listed already, on line 9\n"},
    {"JsonFaultsNameTheIndex",
     "[{\"mac\": \"02:00:00:00:00:01\"}, {\"mac\": \"02:00:00:00:00:01\", \"ip\": \"10.0.0.5\"}]",
     "index 1: 02:00:00:00:00:01 is listed already, on index 0\n"
     "index 1: a static setting needs ip, mask and gateway; missing mask gateway\n"},
    {"JsonNotObjects", "[{\"mac\": \"02:00:00:00:00:01\"}, 5]", "index 1: not an object"},
    {"JsonNestedValue", "[{\"mac\": [1]}]", "index 0: 'mac' is neither a text, a number nor true or false"},
    {"NeitherCsvNorJson", "[1, 2", "the plan is neither CSV with a header nor a JSON array of objects"},
    {"QuotedLineBreakCountsAsALine", "mac,name,dhcp\n02:00:00:00:00:01,\"two\nlines\",on\n02:00:00:00:00:02,x,maybe\n",
     "line 4: dhcp 'maybe' is not Enabled/Disabled, on/off, 1/0 or true/false\n"},
    {"UnclosedQuote", "mac,name\n02:00:00:00:00:01,\"open\n\n", "line 2: a quoted cell is not closed"},
    {"Empty", "", "the plan is empty"},
    // No message shows any part of a password.
    {"CommaInAnUnquotedPassword", "mac,password,dhcp\n02:00:00:00:00:01,pa,ss,word,on\n",
     "line 2: 5 cells, but the header names 3 (quote a cell that holds a comma)"},
    {"ExtraCell", "mac,dhcp\n02:00:00:00:00:01,on,\n",
     "line 2: 3 cells, but the header names 2 (quote a cell that holds a comma)"},
    {"NulInACsvPassword", std::string("mac,password\n02:00:00:00:00:01,se\0cret\n", 39),
     "line 2: the password holds a NUL character"},
    {"NulInAJsonPassword", "[{\"mac\": \"02:00:00:00:00:01\", \"password\": \"se\\u0000cret\"}]",
     "index 0: the password holds a NUL character"},
    {"LongPassword", "mac,password\n02:00:00:00:00:01," + std::string(1024, 'x') + "\n",
     "line 2: the password is longer than 1023 bytes"},
};

INSTANTIATE_TEST_SUITE_P(Cli, CliPlanTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlanCase> &info) { return info.param.name; });

} // namespace
