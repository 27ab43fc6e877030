#include "locator/command_session.h"

namespace kovr::locator {

CommandSession::CommandSession(const LibrarySeam &library)
    : library_(library), handle_(library.OpenByGuid(&kLocatorSessionGuid))
{}

CommandSession::~CommandSession()
{
    // A session without a call yet has a future that counts as finished.
    if (lastCall_.isFinished()) {
        library_.Close(handle_);
        return;
    }
    // Runs at once if the call has ended since.
    lastCall_.then([library = &library_, handle = handle_] { library->Close(handle); });
}

} // namespace kovr::locator
