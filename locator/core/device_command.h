// What the IP settings and reboot dialogs share: the session of one press of
// their command button, and the text of its failure.
#pragma once

#include "locator/core/library_seam.h"
#include "locator/core/texts.h"

#include <kovr/kovr.h>

namespace kovr::locator {

// A session of the locator's own, opened for one command and closed when
// the object goes (on the worker that made the calls).
class CommandSession {
public:
    explicit CommandSession(const LibrarySeam &library);
    ~CommandSession();
    CommandSession(const CommandSession &) = delete;
    CommandSession &operator=(const CommandSession &) = delete;

    KOVR_HANDLE Handle() const { return handle_; }

private:
    const LibrarySeam &library_;
    KOVR_HANDLE handle_;
};

// The session's last error filled into `format`: %1 the number, %2 the
// message (at most 254 characters, made safe to show; empty when the
// library supplies none).
Message LastErrorMessage(const LibrarySeam &library, KOVR_HANDLE session, TextId format);

} // namespace kovr::locator
