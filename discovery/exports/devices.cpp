// The single-device functions: fetch a device's record, the three
// password-protected commands, and what they may send.
#include <cstring>

#include "discovery/session.h"
#include "kovr/kovr.h"

using namespace kovr;

namespace {

// The frame of the three commands: argument checks leave the error state
// alone; after them it is reset and the command records its own outcome.
int32_t RunExportedCommand(KOVR_HANDLE h, const uint8_t *mac, const char *password, const CommandArguments &arguments)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr || mac == nullptr || password == nullptr) {
        return KOVR_FAILED;
    }
    session->errors.Record(Status::Succeeded);
    return RunDeviceCommand(session->Device(), mac, password, arguments);
}

} // namespace

int32_t KOVRGetDeviceInfo(KOVR_HANDLE h, const uint8_t *mac, KOVRDeviceInfoRecord *record)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr || mac == nullptr || record == nullptr) {
        return KOVR_FAILED;
    }
    ReplyRecord reply;
    InitReplyRecord(session->identity, &reply);
    session->errors.Record(Status::Succeeded);
    const int32_t result = QueryDevice(session->Device(), mac, &reply);
    // A failed query never touches the caller's record.
    if (result == 0) {
        std::memcpy(record, &reply.info, sizeof *record);
    }
    return result;
}

int32_t KOVRRebootDevice(KOVR_HANDLE h, const uint8_t *mac, const char *password)
{
    CommandArguments arguments{};
    arguments.requestType = kRebootRequest;
    return RunExportedCommand(h, mac, password, arguments);
}

int32_t KOVRSetNetwork(KOVR_HANDLE h, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway,
                       const char *password)
{
    CommandArguments arguments{};
    arguments.requestType = kSetNetworkRequest;
    arguments.ipAddress = ip;
    arguments.subnetMask = mask;
    arguments.gatewayAddress = gateway;
    return RunExportedCommand(h, mac, password, arguments);
}

int32_t KOVRSetDHCP(KOVR_HANDLE h, const uint8_t *mac, int32_t mode, const char *password)
{
    CommandArguments arguments{};
    arguments.requestType = kSetDhcpRequest;
    // Only the low byte travels.
    arguments.dhcpMode = static_cast<uint8_t>(mode & 0xFF);
    return RunExportedCommand(h, mac, password, arguments);
}

int32_t KOVRSetCommandPolicy(KOVR_HANDLE h, uint32_t policy)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr || (policy & ~kKnownPolicyFlags) != 0) {
        return KOVR_FAILED;
    }
    session->policy.flags = policy;
    return 0;
}
