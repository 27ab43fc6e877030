// kovr-locator: finds the KOVR devices on the local network and configures
// them. The whole program is one modal main window.

#include "locator/core/library_seam.h"
#include "locator/core/workers.h"
#include "locator/locator_dialog.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

// --help and --version are answered before QApplication opens the display,
// so that they work in a terminal without one. Other arguments are left to
// Qt, which takes its own (-platform, -style and so on).
bool AnsweredCommandLine(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("kovr-locator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOVR_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds the KOVR devices on the local network and configures them."));
    // Qt's own help option would also offer --help-all, whose list of Qt's
    // options only QApplication knows.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    // Qt's options are words after one dash: -platformtheme must not read
    // as -p -l -a ... -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    parser.parse(arguments);
    if (parser.isSet(help)) {
        // Without an application object the parser can't know the
        // program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QCoreApplication::applicationName());
        std::fputs(qPrintable(text), stdout);
        return true;
    }
    if (parser.isSet(version)) {
        std::printf("kovr-locator %s\n", KOVR_VERSION);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (AnsweredCommandLine(argc, argv)) {
        return 0;
    }
    QApplication app(argc, argv);
    {
        kovr::locator::LocatorDialog dialog(kovr::locator::RealLibrary());
        dialog.exec();
    }
    // A command still on its way to a device ends before the program does.
    kovr::locator::ApplicationWorkers().JoinAll();
    return 0;
}
