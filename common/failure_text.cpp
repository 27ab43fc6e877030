#include "common/failure_text.h"

#include "common/printable_text.h"

namespace kovr::common {

bool IsTimeOut(int32_t result, int32_t lastError)
{
    return result == KOVR_TIMED_OUT || (result == KOVR_FAILED && lastError == KOVR_TIMED_OUT);
}

std::string LastErrorMessage(LastErrorMessageCall getMessage, KOVR_HANDLE session)
{
    char message[kLastErrorMessageSize] = {};
    if (getMessage(session, message, sizeof message) != 0) {
        return {};
    }
    // Whatever the call wrote, the text ends inside the buffer.
    message[sizeof message - 1] = '\0';
    return message;
}

std::string FailureText(LastErrorCall getError, LastErrorMessageCall getMessage, KOVR_HANDLE session, int32_t result)
{
    return "failed (result " + std::to_string(result) + "); error " + std::to_string(getError(session)) + ": " +
           Printable(LastErrorMessage(getMessage, session));
}

} // namespace kovr::common
