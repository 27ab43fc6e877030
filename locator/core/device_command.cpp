#include "locator/core/device_command.h"

#include "common/failure_text.h"
#include "common/printable_text.h"

#include <string>

namespace kovr::locator {

namespace {

// As much of the message as the dialogs have always shown.
constexpr size_t kShownMessageLength = 254;

} // namespace

CommandSession::CommandSession(const LibrarySeam &library)
    : library_(library), handle_(library.OpenByGuid(&kLocatorSessionGuid))
{}

CommandSession::~CommandSession()
{
    library_.Close(handle_);
}

Message LastErrorMessage(const LibrarySeam &library, KOVR_HANDLE session, TextId format)
{
    const std::string text = common::LastErrorMessage(library.GetLastErrorMessage, session);
    return {format,
            {std::to_string(library.GetLastError(session)), common::DisplayText(text.substr(0, kShownMessageLength))}};
}

} // namespace kovr::locator
