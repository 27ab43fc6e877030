#include "tests/locator/message_capture.h"

#include "locator/message_box.h"

namespace kovr::test {

namespace {
locator::MessagePresenter g_previousPresenter = nullptr;
locator::ConfirmationPresenter g_originalConfirmation = nullptr;
} // namespace

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

void Confirmations::Install()
{
    g_originalConfirmation = locator::SetConfirmationPresenter([](QWidget *, const QString &text) {
        Questions().push_back(text);
        return Answer();
    });
}

void Confirmations::Reset()
{
    Questions().clear();
    Answer() = true;
}

std::vector<QString> &Confirmations::Questions()
{
    static std::vector<QString> questions;
    return questions;
}

locator::ConfirmationPresenter Confirmations::Original()
{
    return g_originalConfirmation;
}

bool &Confirmations::Answer()
{
    static bool answer = true;
    return answer;
}

} // namespace kovr::test
