#include "locator/busy_window.h"

#include <QApplication>
#include <QEvent>
#include <QShortcut>
#include <QWidget>

namespace kovr::locator {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

BusyWindow::BusyWindow(QWidget *window, Cursor cursor) : window_(window), waitCursor_(cursor == Cursor::Wait)
{
    qApp->installEventFilter(this);
    if (waitCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

BusyWindow::~BusyWindow()
{
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
}

bool BusyWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (!window_ || !IsUserInput(event->type())) {
        return false;
    }
    // A shortcut's event goes to the shortcut, not to a widget.
    const QWidget *target = nullptr;
    if (const auto *shortcut = qobject_cast<QShortcut *>(watched)) {
        target = qobject_cast<QWidget *>(shortcut->parent());
    } else if (watched->isWidgetType()) {
        target = static_cast<QWidget *>(watched);
    }
    return target && target->window() == window_;
}

} // namespace kovr::locator
