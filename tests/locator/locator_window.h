#pragma once

#include "locator/locator_dialog.h"
#include "tests/locator/core/fake_library.h"

#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace kovr::test {

inline QStringList RowTexts(const QTreeWidget *list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

// Shows the main window over the fake and waits until its first search has
// been listed; none if that does not happen.
inline std::unique_ptr<locator::LocatorDialog> OpenWindow(FakeLibrary &fake)
{
    auto window = std::make_unique<locator::LocatorDialog>(fake.Seam());
    window->show();
    const bool listed = QTest::qWaitFor(
        [&] { return !RowTexts(window->List()).contains(QStringLiteral("Searching...")) && fake.searches == 1; });
    return listed ? std::move(window) : nullptr;
}

} // namespace kovr::test
