#include "locator/core/ui_question.h"

#include <algorithm>
#include <future>

namespace kovr::locator {

// Given once: by the user, by Cancel, or as no when the posted call that
// holds it is dropped without running.
class UiQuestion::Answer {
public:
    ~Answer() { Give(false); }
    std::future<bool> Future() { return promise_.get_future(); }
    void Give(bool yes)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!given_) {
            given_ = true;
            promise_.set_value(yes);
        }
    }

private:
    std::mutex mutex_;
    std::promise<bool> promise_;
    bool given_ = false;
};

std::shared_ptr<UiQuestion> UiQuestion::Make(PostToUi post, Confirm confirm)
{
    return std::shared_ptr<UiQuestion>(new UiQuestion(std::move(post), std::move(confirm)));
}

UiQuestion::UiQuestion(PostToUi post, Confirm confirm) : post_(std::move(post)), confirm_(std::move(confirm)) {}

bool UiQuestion::Ask(const Message &question)
{
    auto answer = std::make_shared<Answer>();
    std::future<bool> future = answer->Future();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (cancelled_) {
            return false;
        }
        waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                      [](const std::weak_ptr<Answer> &waiting) { return waiting.expired(); }),
                       waiting_.end());
        waiting_.push_back(answer);
    }
    post_(
        [self = shared_from_this(), answer = std::move(answer), question] { answer->Give(self->Confirmed(question)); });
    return future.get();
}

bool UiQuestion::Confirmed(const Message &question)
{
    Confirm confirm;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (cancelled_ || !confirm_) {
            return false;
        }
        confirm = confirm_;
    }
    // Unlocked: the confirmation runs an event loop of its own.
    return confirm(question);
}

void UiQuestion::Cancel()
{
    std::vector<std::weak_ptr<Answer>> waiting;
    Confirm confirm;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
        confirm = std::move(confirm_);
        confirm_ = nullptr;
        waiting.swap(waiting_);
    }
    for (const std::weak_ptr<Answer> &weak : waiting) {
        if (const std::shared_ptr<Answer> answer = weak.lock()) {
            answer->Give(false);
        }
    }
}

} // namespace kovr::locator
