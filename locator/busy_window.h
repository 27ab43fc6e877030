#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace kovr::locator {

// While a window waits for the library off the GUI thread it keeps painting
// and can be moved and closed, but the user's clicks and keys to it are
// dropped, as they would have been while the thread was blocked. With a wait
// cursor, the cursor shows the wait too. Both end with the object.
class BusyWindow : public QObject {
public:
    enum class Cursor { Unchanged, Wait };

    BusyWindow(QWidget *window, Cursor cursor);
    ~BusyWindow() override;
    BusyWindow(const BusyWindow &) = delete;
    BusyWindow &operator=(const BusyWindow &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> window_;
    bool waitCursor_;
};

} // namespace kovr::locator
