// A question that a worker puts to the user: the face's confirmation runs
// on its user-interface thread while the worker waits for the answer. The
// answer is no once the asking window has gone, and for a question that
// never reached the UI thread, so that no worker waits for a window that
// isn't there.
#pragma once

#include "locator/core/texts.h"
#include "locator/core/ui_thread.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kovr::locator {

// The face's confirmation: true for yes. It runs on the UI thread.
using Confirm = std::function<bool(const Message &question)>;

class UiQuestion : public std::enable_shared_from_this<UiQuestion> {
public:
    // Shared with the workers that ask. Without `confirm`, every answer is no.
    static std::shared_ptr<UiQuestion> Make(PostToUi post, Confirm confirm);
    UiQuestion(const UiQuestion &) = delete;
    UiQuestion &operator=(const UiQuestion &) = delete;

    // From a worker, never the UI thread: the user's answer.
    bool Ask(const Message &question);
    // On the UI thread, as the window goes: the questions waiting, and
    // every later one, are answered no, and `confirm` is let go.
    void Cancel();

private:
    class Answer;
    UiQuestion(PostToUi post, Confirm confirm);
    bool Confirmed(const Message &question);

    PostToUi post_;
    std::mutex mutex_;
    Confirm confirm_;
    bool cancelled_ = false;
    std::vector<std::weak_ptr<Answer>> waiting_;
};

} // namespace kovr::locator
