#pragma once

#include "locator/message_box.h"

#include <QString>

#include <vector>

namespace kovr::test {

// Collects what would have been shown in message boxes, for its lifetime.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    static std::vector<QString> &Texts();
};

// Answers every confirmation box as a test says (yes unless it says no) and
// collects the questions. The GUI tests' main installs it for the whole
// run, so that no question waits for a user.
class Confirmations {
public:
    static void Install();
    // Clears the questions, and answers yes from now on.
    static void Reset();
    static std::vector<QString> &Questions();
    static bool &Answer();
    // The real box, in place before Install.
    static locator::ConfirmationPresenter Original();
};

} // namespace kovr::test
