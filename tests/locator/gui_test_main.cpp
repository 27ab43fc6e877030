// Runs the registered QtTest classes as QTEST_MAIN would run one:
//   locator_gui_tests CLASS [QTEST ARGUMENTS...]   one class
//   locator_gui_tests                              every class in turn
//   locator_gui_tests --list                       the classes' names
#include "tests/locator/gui_tests.h"
#include "tests/locator/message_capture.h"

#include "locator/core/workers.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace kovr::test {
namespace {

// Filled by static initialisers, so it must exist before the first of them.
std::map<std::string, GuiTestFactory> &Registry()
{
    static std::map<std::string, GuiTestFactory> registry;
    return registry;
}

} // namespace

bool RegisterGuiTest(const char *name, GuiTestFactory factory)
{
    return Registry().emplace(name, factory).second;
}

} // namespace kovr::test

int main(int argc, char **argv)
{
    using kovr::test::Registry;
    if (argc > 1 && std::strcmp(argv[1], "--list") == 0) {
        for (const auto &[name, factory] : Registry()) {
            std::printf("%s\n", name.c_str());
        }
        return 0;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    // The windows pin devices in a state folder of the run's own, never the user's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    kovr::test::Confirmations::Install();
    std::vector<char *> arguments(argv, argv + argc);
    std::vector<std::string> selected;
    if (argc > 1 && argv[1][0] != '-') {
        if (Registry().count(argv[1]) == 0) {
            std::fprintf(stderr, "locator_gui_tests: no test class %s (see --list)\n", argv[1]);
            return 2;
        }
        selected.push_back(argv[1]);
        arguments.erase(arguments.begin() + 1);
    } else {
        for (const auto &[name, factory] : Registry()) {
            selected.push_back(name);
        }
    }
    int failures = 0;
    for (const std::string &name : selected) {
        const std::unique_ptr<QObject> test = Registry().at(name)();
        failures += QTest::qExec(test.get(), static_cast<int>(arguments.size()), arguments.data());
    }
    // Workers a closed dialog left behind end while the application lives.
    kovr::locator::ApplicationWorkers().JoinAll();
    return failures == 0 ? 0 : 1;
}
