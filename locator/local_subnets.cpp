#include "locator/local_subnets.h"

#include <QNetworkInterface>
#include <QtEndian>

std::vector<kovr::common::LocalSubnet> LocalSubnets()
{
    std::vector<kovr::common::LocalSubnet> subnets;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        // Devices are never behind the loopback interface, and its subnet
        // would make a poor suggestion of where to move one.
        if (!interface.flags().testFlag(QNetworkInterface::IsRunning) ||
            interface.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            subnets.push_back(
                {qToBigEndian(entry.ip().toIPv4Address()), qToBigEndian(entry.netmask().toIPv4Address())});
        }
    }
    return subnets;
}
