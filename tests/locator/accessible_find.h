#pragma once

#include <QAccessible>
#include <QWidget>

namespace kovr::test {

// A control found as a screen reader finds it: by its accessible name.
template <typename T>
T *Named(const QWidget &root, const QString &name)
{
    for (T *widget : root.findChildren<T *>()) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible && accessible->text(QAccessible::Name) == name) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace kovr::test
