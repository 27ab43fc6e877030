#include "tools/kovr-sim/device.h"

#include <algorithm>

namespace kovr::sim {

const NameTable<AuthMode, 2> kAuthModeNames = {{"digest", AuthMode::Digest}, {"plain", AuthMode::Plain}};

bool Device::AnswersMagic(uint32_t magic) const
{
    return std::find(magics.begin(), magics.end(), magic) != magics.end();
}

bool Device::ReachableOn(int ifindex) const
{
    return interfaceIndexes.empty() ||
           std::find(interfaceIndexes.begin(), interfaceIndexes.end(), ifindex) != interfaceIndexes.end();
}

uint64_t MacKey(const uint8_t mac[kMacSize])
{
    uint64_t key = 0;
    for (size_t i = 0; i < kMacSize; ++i) {
        key = (key << 8) | mac[i];
    }
    return key;
}

bool ParseMagic(const std::string &text, uint32_t *magic)
{
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

} // namespace kovr::sim
