// The common procedure of the password-protected commands.
#include "commands.h"

#include <cerrno>
#include <cstring>

#include "command_errors.h"
#include "session.h"
#include "transport.h"
#include "wire_format.h"

namespace kovr {

namespace {

bool BeginRequest(const DiscoverySession *session, const uint8_t *target, const CommandArguments &arguments,
                  CommandRequest *request)
{
    switch (arguments.requestType) {
    case kRebootRequest:
        BeginRebootRequest(session, target, request);
        return true;
    case kSetNetworkRequest:
        BeginSetNetworkRequest(session, target, arguments.ipAddress, arguments.subnetMask, arguments.gatewayAddress,
                               request);
        return true;
    case kSetDhcpRequest:
        BeginSetDhcpRequest(session, target, arguments.dhcpMode, request);
        return true;
    default:
        return false;
    }
}

// Fills the authentication part for the device's challenge. 0 when the
// request is ready to send, otherwise the command's result (error recorded).
int32_t Authenticate(DiscoverySession *session, const AuthNonce &nonce, const char *password,
                     CommandRequest *request)
{
    const size_t passwordLength = std::strlen(password);
    if (nonce.length == kNonceSize) {
        // The digest covers the authLength byte, so it must already read 16.
        request->bytes[request->authLengthOffset] = kDigestSize;
        uint8_t digest[kDigestSize];
        const int32_t result = ComputeAuthDigest(nonce.bytes, password, passwordLength, request->bytes + kHeaderSize,
                                                 request->authLengthOffset - kHeaderSize + 1, request->bytes + 4,
                                                 digest);
        if (result == 0) {
            FinishDigestRequest(session, request, digest);
        }
        SecureZero(digest, sizeof digest);
        return result;
    }
    if (nonce.length == 0) {
        // One length byte carries the plain password; a shortened one would
        // only be refused by the device, or worse, accepted.
        if (!FinishPlainRequest(request, password, passwordLength)) {
            SetSessionError(session, kErrorLocal, kMessagePasswordTooLong);
            return -1;
        }
        return 0;
    }
    SetSessionError(session, kErrorAuthentication, kMessageAuthentication);
    return kErrorAuthentication;
}

int32_t Exchange(DiscoverySession *session, uint32_t localAddress, const uint8_t *target,
                 const CommandArguments &arguments, const CommandRequest &request)
{
    ReplyRecord reply;
    InitReplyRecord(session, &reply);
    errno = 0;
    const int32_t result = ExchangeOnInterface(session, localAddress, arguments.requestType + 1, target,
                                               request.bytes, request.length, &reply);
    if (result == -1) {
        RecordNetworkError(session, errno);
        return -1;
    }
    if (result != 0) {
        return result; // -2, "Operation timed out" already recorded
    }
    // The device's own number and text, also on success (normally 0 and empty).
    SetSessionError(session, reply.errorNumber, reply.errorMessage);
    return reply.resultCode;
}

} // namespace

int32_t RunDeviceCommand(DiscoverySession *session, const uint8_t *target, const char *password,
                         const CommandArguments &arguments)
{
    if (session == nullptr || target == nullptr || password == nullptr) {
        return -1;
    }
    uint32_t localAddress = 0;
    if (!SelectLocalAddress(session, target, &localAddress)) {
        return -1;
    }
    CommandRequest request;
    if (!BeginRequest(session, target, arguments, &request)) {
        return -1;
    }
    AuthNonce nonce{};
    if (FetchAuthNonce(session, target, &nonce) != 0) {
        return -1;
    }
    int32_t result = Authenticate(session, nonce, password, &request);
    if (result == 0) {
        result = Exchange(session, localAddress, target, arguments, request);
    }
    // The request held the password or its digest.
    SecureZero(&request, sizeof request);
    return result;
}

} // namespace kovr
