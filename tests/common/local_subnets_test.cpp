// Which interface addresses count as local subnets, for kovr and the locator
// alike.
#include "common/ipv4_text.h"
#include "common/local_subnets.h"

#include <gtest/gtest.h>

namespace kovr::common {
namespace {

uint32_t Ip(const char *text)
{
    return *ParseIpv4(text);
}

InterfaceEntry Entry(const char *address, const char *mask, bool up, bool loopback)
{
    return {Ip(address), Ip(mask), up, loopback};
}

// "10.77.1.1/255.255.255.0" per subnet, in order.
std::vector<std::string> Texts(const std::vector<LocalSubnet> &subnets)
{
    std::vector<std::string> texts;
    for (const LocalSubnet &subnet : subnets) {
        texts.push_back(FormatIpv4(subnet.address) + "/" + FormatIpv4(subnet.mask));
    }
    return texts;
}

TEST(LocalSubnets, CountUpInterfacesWithAnAddressButNeverLoopback)
{
    const InterfaceEntry loopback = Entry("127.0.0.1", "255.0.0.0", true, true);
    const InterfaceEntry lab = Entry("10.77.1.1", "255.255.255.0", true, false);
    const InterfaceEntry second = Entry("10.77.2.1", "255.255.0.0", true, false);
    const struct {
        const char *what;
        std::vector<InterfaceEntry> entries;
        std::vector<std::string> subnets;
    } cases[] = {
        {"loopback beside a lab link", {loopback, lab}, {"10.77.1.1/255.255.255.0"}},
        {"loopback alone, as in the lab's loopback mode", {loopback}, {}},
        {"an interface that is down",
         {lab, Entry("10.77.3.1", "255.255.255.0", false, false)},
         {"10.77.1.1/255.255.255.0"}},
        {"an address that names no interface",
         {Entry("0.0.0.0", "0.0.0.0", true, false), second},
         {"10.77.2.1/255.255.0.0"}},
        {"several, in the system's order",
         {second, loopback, lab},
         {"10.77.2.1/255.255.0.0", "10.77.1.1/255.255.255.0"}},
        {"none listed", {}, {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Texts(LocalSubnetsOf(c.entries)), c.subnets) << c.what;
    }
}

} // namespace
} // namespace kovr::common
