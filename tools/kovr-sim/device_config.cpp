#include "tools/kovr-sim/device_config.h"

#include <arpa/inet.h>

#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

#include "common/guid_text.h"
#include "common/hex.h"

namespace kovr::sim {
namespace {

const char *const kKnownKeys[] = {
    "mac",    "ip",           "mask",          "gateway",          "dns",
    "dhcp",   "name",         "product",       "version",          "advisory",
    "guid",   "tag22",        "tag24",         "password",         "auth",
    "magics", "replyDelayMs", "replyJitterMs", "rebootDowntimeMs", "interfaces",
};

class EntryReader {
public:
    EntryReader(const nlohmann::json &entry, std::string where) : entry_(entry), where_(std::move(where)) {}

    [[noreturn]] void Fail(const std::string &key, const std::string &why) const
    {
        throw ConfigError(where_ + ": \"" + key + "\": " + why);
    }

    bool Has(const char *key) const { return entry_.contains(key); }

    std::string Text(const char *key, const std::string &fallback) const
    {
        if (!Has(key)) {
            return fallback;
        }
        if (!entry_[key].is_string()) {
            Fail(key, "expected a string");
        }
        return entry_[key].get<std::string>();
    }

    uint64_t Unsigned(const char *key, uint64_t fallback, uint64_t maximum) const
    {
        if (!Has(key)) {
            return fallback;
        }
        const nlohmann::json &value = entry_[key];
        if (!value.is_number_unsigned() || value.get<uint64_t>() > maximum) {
            Fail(key, "expected a whole number from 0 to " + std::to_string(maximum));
        }
        return value.get<uint64_t>();
    }

    uint32_t Address(const char *key, const char *fallback) const
    {
        const std::optional<uint32_t> address = common::ParseIpv4(Text(key, fallback));
        if (!address) {
            Fail(key, "expected a dotted IPv4 address");
        }
        return *address;
    }

    std::chrono::milliseconds Millis(const char *key, std::chrono::milliseconds fallback) const
    {
        return std::chrono::milliseconds(Unsigned(key, static_cast<uint64_t>(fallback.count()), 3600000));
    }

    std::optional<std::vector<uint8_t>> HexBytes(const char *key, size_t maximum) const
    {
        if (!Has(key)) {
            return std::nullopt;
        }
        std::optional<std::vector<uint8_t>> bytes = common::ParseHex(Text(key, ""));
        if (!bytes || bytes->size() > maximum) {
            Fail(key, "expected at most " + std::to_string(maximum) + " bytes as hex digits");
        }
        return bytes;
    }

    std::vector<std::string> Strings(const char *key, std::vector<std::string> fallback) const
    {
        if (!Has(key)) {
            return fallback;
        }
        const nlohmann::json &value = entry_[key];
        if (!value.is_array()) {
            Fail(key, "expected an array of strings");
        }
        std::vector<std::string> out;
        for (const nlohmann::json &item : value) {
            if (!item.is_string()) {
                Fail(key, "expected an array of strings");
            }
            out.push_back(item.get<std::string>());
        }
        return out;
    }

private:
    const nlohmann::json &entry_;
    std::string where_;
};

AuthMode ParseAuth(const EntryReader &reader, const std::string &text)
{
    if (const std::optional<AuthMode> mode = ValueNamed(kAuthModeNames, text)) {
        return *mode;
    }
    std::string expected;
    for (const std::string &name : NamesOf(kAuthModeNames)) {
        expected += (expected.empty() ? "expected \"" : "\" or \"") + name;
    }
    reader.Fail("auth", expected + "\"");
}

} // namespace

Device DeviceFromJson(const nlohmann::json &entry, const DeviceDefaults &defaults)
{
    if (!entry.is_object()) {
        throw ConfigError("device entry: expected an object");
    }
    const std::string macText =
        entry.contains("mac") && entry["mac"].is_string() ? entry["mac"].get<std::string>() : "";
    EntryReader reader(entry, "device " + (macText.empty() ? std::string("without a MAC") : macText));
    for (const auto &item : entry.items()) {
        if (std::find(std::begin(kKnownKeys), std::end(kKnownKeys), item.key()) == std::end(kKnownKeys)) {
            reader.Fail(item.key(), "unknown key");
        }
    }

    Device device;
    const std::optional<common::MacAddress> mac = common::ParseMac(reader.Text("mac", ""));
    if (!mac) {
        reader.Fail("mac", "expected six hex octets such as 02:00:00:00:00:01");
    }
    std::copy(mac->begin(), mac->end(), device.mac);
    if (IsAllDevices(device.mac)) {
        reader.Fail("mac", "the all-devices address can't name one device");
    }
    device.ip = reader.Address("ip", "0.0.0.0");
    device.mask = reader.Address("mask", "255.255.255.0");
    device.gateway = reader.Address("gateway", "0.0.0.0");
    device.dns = reader.Address("dns", "0.0.0.0");
    device.dhcp = static_cast<uint8_t>(reader.Unsigned("dhcp", 0, 255));
    device.name = reader.Text("name", "kovr-" + FormatMac(device.mac).substr(9));
    device.product = reader.Text("product", defaults.product);
    if (device.name.size() > 255 || device.product.size() > 255) {
        reader.Fail(device.name.size() > 255 ? "name" : "product", "longer than 255 bytes");
    }
    device.version = static_cast<uint16_t>(reader.Unsigned("version", kProtocolVersion, 0xffff));
    device.advisory = static_cast<uint16_t>(reader.Unsigned("advisory", 0, 0xffff));
    const std::optional<KOVR_GUID> guid =
        common::ParseGuid(reader.Text("guid", "{00000000-0000-0000-0000-000000000000}"));
    if (!guid) {
        reader.Fail("guid", "expected {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
    }
    device.guid = *guid;
    device.tag22 = reader.HexBytes("tag22", 255);
    device.tag24 = reader.HexBytes("tag24", 255);
    device.password = reader.Text("password", defaults.password);
    device.auth = reader.Has("auth") ? ParseAuth(reader, reader.Text("auth", "")) : defaults.auth;
    if (device.auth == AuthMode::Plain && device.password.size() > kMaxPlainPassword) {
        reader.Fail("password", "a plain password can't be longer than 255 bytes");
    }
    for (const std::string &text : reader.Strings("magics", {"QUMA", "LORX", "TESK"})) {
        uint32_t magic = 0;
        if (!ParseMagic(text, &magic)) {
            reader.Fail("magics", "expected four printable letters, got \"" + text + "\"");
        }
        device.magics.push_back(magic);
    }
    device.replyDelay = reader.Millis("replyDelayMs", defaults.replyDelay);
    device.replyJitter = reader.Millis("replyJitterMs", defaults.replyJitter);
    device.rebootDowntime = reader.Millis("rebootDowntimeMs", defaults.rebootDowntime);
    device.interfaces = reader.Strings("interfaces", {});
    return device;
}

std::vector<Device> LoadDeviceFile(const std::string &path, const DeviceDefaults &defaults)
{
    std::ifstream in(path);
    if (!in) {
        throw ConfigError(path + ": cannot open");
    }
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(in);
    } catch (const nlohmann::json::parse_error &error) {
        throw ConfigError(path + ": " + error.what());
    }
    if (!document.is_object() || !document.contains("devices") || !document["devices"].is_array()) {
        throw ConfigError(path + ": expected an object with a \"devices\" array");
    }
    std::vector<Device> devices;
    for (const nlohmann::json &entry : document["devices"]) {
        try {
            devices.push_back(DeviceFromJson(entry, defaults));
        } catch (const ConfigError &error) {
            throw ConfigError(path + ": " + error.what());
        }
    }
    return devices;
}

std::vector<Device> GenerateDevices(const GenerateOptions &options, const DeviceDefaults &defaults)
{
    std::vector<Device> devices(options.count);
    const uint64_t firstMac = MacKey(options.firstMac.data());
    const uint32_t firstIp = ntohl(options.firstIp);
    for (size_t i = 0; i < options.count; ++i) {
        Device &device = devices[i];
        const uint64_t mac = firstMac + i;
        for (size_t b = 0; b < kMacSize; ++b) {
            device.mac[b] = static_cast<uint8_t>(mac >> (8 * (kMacSize - 1 - b)));
        }
        device.ip = htonl(firstIp + static_cast<uint32_t>(i));
        device.mask = htonl(0xffff0000);
        device.gateway = htonl((firstIp & 0xffffff00) | 0xfe);
        device.dns = device.gateway;
        device.name = options.namePrefix + std::to_string(i + 1);
        device.product = defaults.product;
        device.password = defaults.password;
        device.auth = defaults.auth;
        device.magics = {KOVR_MAGIC_QUMA, KOVR_MAGIC_LORX, KOVR_MAGIC_TESK};
        device.replyDelay = defaults.replyDelay;
        device.replyJitter = defaults.replyJitter;
        device.rebootDowntime = defaults.rebootDowntime;
    }
    return devices;
}

} // namespace kovr::sim
