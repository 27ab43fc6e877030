#include "device.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kovr::sim {

bool Device::AnswersMagic(uint32_t magic) const {
    return std::find(magics.begin(), magics.end(), magic) != magics.end();
}

bool Device::ReachableOn(int ifindex) const {
    return interfaceIndexes.empty() ||
           std::find(interfaceIndexes.begin(), interfaceIndexes.end(), ifindex) != interfaceIndexes.end();
}

uint64_t MacKey(const uint8_t mac[kMacSize]) {
    uint64_t key = 0;
    for (size_t i = 0; i < kMacSize; ++i) {
        key = (key << 8) | mac[i];
    }
    return key;
}

std::string FormatMac(const uint8_t mac[kMacSize]) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool HexByte(const std::string &text, size_t at, uint8_t *out) {
    if (at + 2 > text.size()) {
        return false;
    }
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) {
        return false;
    }
    *out = static_cast<uint8_t>(high << 4 | low);
    return true;
}

} // namespace

bool ParseMac(const std::string &text, uint8_t mac[kMacSize]) {
    if (text.size() != 17) {
        return false;
    }
    for (size_t i = 0; i < kMacSize; ++i) {
        if (i > 0 && text[i * 3 - 1] != ':' && text[i * 3 - 1] != '-') {
            return false;
        }
        if (!HexByte(text, i * 3, &mac[i])) {
            return false;
        }
    }
    return true;
}

bool ParseIpv4(const std::string &text, uint32_t *address) {
    struct in_addr parsed {};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
        return false;
    }
    *address = parsed.s_addr;
    return true;
}

std::string FormatIpv4(uint32_t networkOrderAddress) {
    char text[INET_ADDRSTRLEN];
    struct in_addr address {};
    address.s_addr = networkOrderAddress;
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool ParseGuid(const std::string &text, KOVR_GUID *guid) {
    std::string digits = text;
    if (digits.size() == 38 && digits.front() == '{' && digits.back() == '}') {
        digits = digits.substr(1, 36);
    }
    if (digits.size() != 36 || digits[8] != '-' || digits[13] != '-' || digits[18] != '-' || digits[23] != '-') {
        return false;
    }
    digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
    // The text lists Data1, Data2, Data3 and Data4 most significant digit
    // first, which is the order on the wire.
    uint8_t wire[16];
    for (size_t i = 0; i < 16; ++i) {
        if (!HexByte(digits, i * 2, &wire[i])) {
            return false;
        }
    }
    *guid = DecodeGuid(wire);
    return true;
}

bool ParseMagic(const std::string &text, uint32_t *magic) {
    if (text.size() != 4) {
        return false;
    }
    uint32_t value = 0;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
            return false;
        }
        value = value << 8 | static_cast<uint8_t>(c);
    }
    *magic = value;
    return true;
}

bool ParseHex(const std::string &text, std::vector<uint8_t> *bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    bytes->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t byte = 0;
        if (!HexByte(text, i, &byte)) {
            return false;
        }
        bytes->push_back(byte);
    }
    return true;
}

std::string Hex(const uint8_t *data, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xf];
    }
    return out;
}

} // namespace kovr::sim
