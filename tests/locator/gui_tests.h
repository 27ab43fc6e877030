// The QtTest classes of the locator's GUI tests share one program: each file
// registers its class with KOVR_GUI_TEST(Class) instead of QTEST_MAIN, and
// the program runs the class named by its first argument, or every class.
#pragma once

#include <QObject>

#include <memory>

namespace kovr::test {

using GuiTestFactory = std::unique_ptr<QObject> (*)();

// Records a class for the program's main; true, for a static initialiser.
bool RegisterGuiTest(const char *name, GuiTestFactory factory);

} // namespace kovr::test

#define KOVR_GUI_TEST(Class)                                                                                           \
  static const bool kovrGuiTestRegistered##Class =                                                                     \
      kovr::test::RegisterGuiTest(#Class, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); });
