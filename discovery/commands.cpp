// The common procedure of the password-protected commands.
#include "discovery/commands.h"

#include <cassert>
#include <cstring>
#include <type_traits>

#include "discovery/auth_digest.h"
#include "discovery/command_errors.h"
#include "discovery/platform/secure_zero.h"

namespace kovr {

namespace {

void BeginRequest(const Identity &identity, const uint8_t target[kMacSize], const CommandArguments &arguments,
                  CommandRequest *request)
{
    switch (arguments.requestType) {
    case kRebootRequest:
        BeginRebootRequest(identity, target, request);
        break;
    case kSetNetworkRequest:
        BeginSetNetworkRequest(identity, target, arguments.ipAddress, arguments.subnetMask, arguments.gatewayAddress,
                               request);
        break;
    default:
        assert(arguments.requestType == kSetDhcpRequest);
        BeginSetDhcpRequest(identity, target, arguments.dhcpMode, request);
        break;
    }
}

// Fills the authentication part for the device's challenge. 0 when the
// request is ready to send, otherwise the command's result (error recorded).
int32_t Authenticate(const DeviceContext &context, const AuthNonce &nonce, const char *password,
                     CommandRequest *request)
{
    const size_t passwordLength = std::strlen(password);
    if (nonce.length == kNonceSize) {
        // The digest covers the authLength byte, so it must already read 16.
        request->bytes[request->authLengthOffset] = kDigestSize;
        uint8_t digest[kDigestSize];
        ComputeAuthDigest(nonce.bytes, password, passwordLength, request->bytes + kHeaderSize,
                          request->authLengthOffset - kHeaderSize + 1, request->bytes + 4, digest);
        FinishDigestRequest(context.identity, request, digest);
        platform::SecureZero(digest, sizeof digest);
        return 0;
    }
    if (nonce.length == 0 && context.policy.RequiresChallenge()) {
        // Whoever answered may not be the device that offered one before.
        context.errors.Record(Status::NoChallenge);
        return KOVR_FAILED;
    }
    if (nonce.length == 0) {
        // One length byte carries the plain password; a shortened one would
        // only be refused by the device, or worse, accepted.
        if (!FinishPlainRequest(request, password, passwordLength)) {
            context.errors.Record(Status::PasswordTooLong);
            return KOVR_FAILED;
        }
        return 0;
    }
    context.errors.Record(Status::AuthenticationFailed);
    return EntryOf(Status::AuthenticationFailed).number;
}

int32_t Exchange(const DeviceContext &context, uint32_t localAddress, const uint8_t target[kMacSize],
                 const CommandArguments &arguments, const CommandRequest &request)
{
    ReplyRecord reply;
    InitReplyRecord(context.identity, &reply);
    const TransportStatus status = ExchangeOnInterface(
        context.identity, context.transport, context.limits.commandTimeout, localAddress,
        static_cast<uint16_t>(arguments.requestType + 1), target, request.bytes, request.length, &reply);
    if (status.outcome != Outcome::Accepted) {
        return RecordTransportFailure(context.errors, status);
    }
    // The device's own number and text, also on success (normally 0 and empty).
    // Neither its number nor its result can reach the library's negative ones.
    static_assert(std::is_unsigned<decltype(reply.errorNumber)>::value && sizeof reply.errorNumber == 1 &&
                      std::is_unsigned<decltype(reply.resultCode)>::value && sizeof reply.resultCode == 1,
                  "a device's error number and result are 0 to 255");
    context.errors.Record(reply.errorNumber, reply.errorMessage);
    return reply.resultCode;
}

} // namespace

int32_t RunDeviceCommand(const DeviceContext &context, const uint8_t target[kMacSize], const char *password,
                         const CommandArguments &arguments)
{
    uint32_t localAddress = 0;
    if (!SelectLocalAddress(context, target, &localAddress)) {
        return KOVR_FAILED;
    }
    CommandRequest request;
    BeginRequest(context.identity, target, arguments, &request);
    AuthNonce nonce{};
    if (FetchAuthNonce(context, target, &nonce) != 0) {
        return KOVR_FAILED;
    }
    int32_t result = Authenticate(context, nonce, password, &request);
    if (result == 0) {
        result = Exchange(context, localAddress, target, arguments, request);
    }
    // The request held the password or its digest.
    platform::SecureZero(&request, sizeof request);
    return result;
}

} // namespace kovr
