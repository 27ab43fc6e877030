#include "tests/locator/message_capture.h"

#include "locator/message_box.h"

namespace kovr::test {

namespace {
locator::MessagePresenter g_previousPresenter = nullptr;
}

MessageCapture::MessageCapture()
{
    Texts().clear();
    g_previousPresenter = locator::SetMessagePresenter([](QWidget *, const QString &text) { Texts().push_back(text); });
}

MessageCapture::~MessageCapture()
{
    locator::SetMessagePresenter(g_previousPresenter);
}

std::vector<QString> &MessageCapture::Texts()
{
    static std::vector<QString> texts;
    return texts;
}

} // namespace kovr::test
