#pragma once

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

} // namespace kovr::test
