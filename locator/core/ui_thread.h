// How the core's workers hand their results to the face's user-interface
// thread: each face posts in its own way (a queued Qt call, PostMessage).
// A result posted for an object that has gone meanwhile is dropped.
#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace kovr::locator {

// Runs the call later on the user-interface thread; callable from any thread.
using PostToUi = std::function<void(std::function<void()>)>;

// Owned by an object that receives posted results. A call wrapped with
// Guard runs only while its owner lives; both run on the UI thread, so the
// owner can't go in between.
class Lifetime {
public:
    template <typename Call>
    auto Guard(Call call) const
    {
        return [alive = std::weak_ptr<const bool>(token_), call = std::move(call)](auto &&...args) mutable {
            if (alive.lock()) {
                call(std::forward<decltype(args)>(args)...);
            }
        };
    }
    // Drops every guarded call not yet run.
    void End() { token_ = std::make_shared<const bool>(true); }

private:
    std::shared_ptr<const bool> token_ = std::make_shared<const bool>(true);
};

} // namespace kovr::locator
