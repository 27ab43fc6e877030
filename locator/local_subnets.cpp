#include "locator/local_subnets.h"

#include "common/local_subnets.h"

#include <QNetworkInterface>
#include <QtEndian>

namespace kovr::locator {

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<common::InterfaceEntry> entries;
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = networkInterface.flags();
        for (const QNetworkAddressEntry &entry : networkInterface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) {
                continue;
            }
            entries.push_back({qToBigEndian(entry.ip().toIPv4Address()), qToBigEndian(entry.netmask().toIPv4Address()),
                               flags.testFlag(QNetworkInterface::IsUp), flags.testFlag(QNetworkInterface::IsLoopBack)});
        }
    }
    return common::LocalSubnetsOf(entries);
}

} // namespace kovr::locator
