// How kovr writes device records: the Device Information lines, JSON with
// every field, the table and CSV, and texts from devices that could upset
// a terminal or a JSON writer.
#include "tools/kovr/record_fields.h"
#include "tools/kovr/record_json.h"
#include "tools/kovr/record_table.h"
#include "tools/kovr/record_writer.h"

#include "common/device_csv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "tests/support/records.h"

using namespace kovr::cli;

namespace {

using kovr::test::Address;
using kovr::test::BareRecord;
using kovr::test::FullRecord;

TEST(CliRecordOutputTest, InfoShowsTheDeviceInformationLinesWithTheNameEscaped)
{
    KOVRDeviceInfoRecord r = FullRecord();
    std::strcpy(r.deviceName, "a\x1b]0;x\x07");
    EXPECT_NE(kovr::common::DeviceInfoText(r, Printable).find("\nDevice Name: a\\x1b]0;x\\x07\nAdvisory: 65535\n"),
              std::string::npos);
}

TEST(CliRecordOutputTest, JsonHasEveryFieldInReadableForm)
{
    const nlohmann::json j = nlohmann::json::parse(JsonText(RecordJson(FullRecord())));
    EXPECT_EQ(j, nlohmann::json::parse(R"({
        "recordSize": 852, "version": 513, "interfaceAddress": "10.77.1.1", "tag22Value": 127,
        "vendorId": 1280266840, "guid": "{0E5C9A41-3B7D-4F2A-9C11-6D8E2F4A7B02}",
        "nonceLength": 14, "nonce": "f0f1f2f3f4f5f6f7f8f9fafbfcfd", "presentFields": 4190399,
        "macAddress": "02:4b:52:00:0a:bc", "ipAddress": "10.0.0.5", "subnetMask": "255.255.255.0",
        "gatewayAddress": "10.0.0.254", "dnsAddress": "192.168.100.1", "dhcpMode": 1,
        "deviceName": "lobby-camera", "productName": "7100-NT", "advisory": 65535,
        "tag24Length": 3, "tag24Data": "00a55a"})"));
}

TEST(CliRecordOutputTest, DeviceTextsThatAreNotUtf8OrNotTerminatedStillMakeJson)
{
    KOVRDeviceInfoRecord r = BareRecord(0x01);
    std::strcpy(r.deviceName, "caf\xe9 \x1b[2J");
    // A product name that fills its field without a terminator.
    std::memset(r.productName, 'x', sizeof r.productName);
    const nlohmann::json j = nlohmann::json::parse(JsonText(RecordJson(r)));
    EXPECT_EQ(j["deviceName"], "caf\xef\xbf\xbd \x1b[2J");
    EXPECT_EQ(j["productName"], std::string(256, 'x'));
    // A nonce length beyond the field is cut to it.
    r.nonceLength = 200;
    EXPECT_EQ(RecordJson(r)["nonce"].get<std::string>().size(), 28u);
}

TEST(CliRecordOutputTest, TableColumnsFitTheLongestCellAndEscapeControlCharacters)
{
    KOVRDeviceInfoRecord first = FullRecord();
    KOVRDeviceInfoRecord second = BareRecord(0x02);
    std::strcpy(second.deviceName, "a\x1b]0;pwned\x07 name");
    std::strcpy(second.productName, "caf\xc3\xa9");
    second.interfaceAddress = Address(10, 77, 2, 1);
    std::ostringstream out;
    WriteSearchResults(out, OutputFormat::Table, {first, second});
    EXPECT_EQ(out.str(),
              "IP address  MAC                Name                    Product  DHCP     Interface\n"
              "10.0.0.5    02:4b:52:00:0a:bc  lobby-camera            7100-NT  Enabled  10.77.1.1\n"
              "0.0.0.0     02:4b:52:00:0a:02  a\\x1b]0;pwned\\x07 name  caf\xc3\xa9     N/A      10.77.2.1\n");
}

TEST(CliRecordOutputTest, EmptyResultsInEachFormat)
{
    std::ostringstream table, json, csv;
    WriteSearchResults(table, OutputFormat::Table, {});
    WriteSearchResults(json, OutputFormat::Json, {});
    WriteSearchResults(csv, OutputFormat::Csv, {});
    EXPECT_EQ(table.str(), "No devices found.\n");
    EXPECT_EQ(json.str(), "[]\n");
    EXPECT_EQ(csv.str(), "ip,mac,name,product,dhcp,interface,mask,gateway\n");
}

TEST(CliRecordOutputTest, CsvQuotesCommasAndQuotes)
{
    KOVRDeviceInfoRecord r = FullRecord();
    std::strcpy(r.deviceName, "front \"door\", left");
    std::strcpy(r.productName, "7100,NT");
    EXPECT_EQ(kovr::common::DeviceCsvLine(r), "10.0.0.5,02:4b:52:00:0a:bc,\"front \"\"door\"\", "
                                              "left\",\"7100,NT\",Enabled,10.77.1.1,255.255.255.0,10.0.0.254\n");
}

} // namespace
