// kovr-locator: finds the KOVR devices on the local network and configures
// them. The whole program is one modal main window.

#include "library_seam.h"
#include "locator_dialog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LocatorDialog dialog(RealLibrary());
    dialog.exec();
    return 0;
}
