#pragma once

#include "locator/library_seam.h"

#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace kovr::locator {

// The session of one press of a dialog's command button: opened with the
// locator's GUID, used by the calls that Run puts on worker threads, and
// closed once, when the object goes. A dialog may let go of it while a call
// still runs (it was closed meanwhile): the session then stays open until
// that call returns, and is closed on its worker.
class CommandSession {
public:
    explicit CommandSession(const LibrarySeam &library);
    ~CommandSession();
    CommandSession(const CommandSession &) = delete;
    CommandSession &operator=(const CommandSession &) = delete;

    KOVR_HANDLE Handle() const { return handle_; }

    // call(handle) on a worker thread. One call at a time: each starts when
    // the dialog has seen the previous one end.
    template <typename Call>
    auto Run(Call call)
    {
        auto future = QtConcurrent::run([call = std::move(call), handle = handle_] { return call(handle); });
        lastCall_ = QFuture<void>(future);
        return future;
    }

private:
    const LibrarySeam &library_;
    KOVR_HANDLE handle_;
    QFuture<void> lastCall_;
};

} // namespace kovr::locator
