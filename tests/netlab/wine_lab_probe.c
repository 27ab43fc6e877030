/*
 * The wine-lab's self-test program: prints the IPv4 address of every
 * adapter that Windows reports, then sends one datagram holding TOKEN to the
 * devices' multicast group through the address VIA.
 *   wine_lab_probe.exe VIA TOKEN
 */
/* winsock2.h comes before every header that includes windows.h. */
#include <winsock2.h>

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int PrintAddresses(void)
{
    ULONG size = 64 * 1024;
    IP_ADAPTER_ADDRESSES *adapters = malloc(size);
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    if (adapters == NULL || GetAdaptersAddresses(AF_INET, flags, NULL, adapters, &size) != NO_ERROR) {
        fprintf(stderr, "wine_lab_probe: GetAdaptersAddresses failed\n");
        free(adapters);
        return 0;
    }
    for (const IP_ADAPTER_ADDRESSES *adapter = adapters; adapter != NULL; adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS *unicast = adapter->FirstUnicastAddress; unicast != NULL;
             unicast = unicast->Next) {
            const struct sockaddr_in *address = (const struct sockaddr_in *)unicast->Address.lpSockaddr;
            printf("address %s\n", inet_ntoa(address->sin_addr));
        }
    }
    free(adapters);
    return 1;
}

static int SendToken(const char *via, const char *token)
{
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        return 0;
    }
    struct in_addr local;
    local.s_addr = inet_addr(via);
    struct sockaddr_in group;
    memset(&group, 0, sizeof group);
    group.sin_family = AF_INET;
    group.sin_port = htons(2362);
    group.sin_addr.s_addr = inet_addr("224.0.5.128");
    const int length = (int)strlen(token);
    const int sent = setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, (const char *)&local, sizeof local) == 0
                         ? sendto(s, token, length, 0, (const struct sockaddr *)&group, sizeof group)
                         : -1;
    closesocket(s);
    if (sent != length) {
        fprintf(stderr, "wine_lab_probe: could not send through %s\n", via);
        return 0;
    }
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: wine_lab_probe VIA TOKEN\n");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    const int ok = PrintAddresses() && SendToken(argv[1], argv[2]);
    WSACleanup();
    return ok ? 0 : 1;
}
