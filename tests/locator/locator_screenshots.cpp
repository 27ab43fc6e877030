// Renders the main window and each dialog into PNG files, for a look at
// them: the real library against the demo's simulated devices in a private
// lab. Run it under Xvfb and tests/netlab/isolated:
//   locator_screenshots DEVICE-FILE OUTPUT-DIRECTORY
#include "locator/device_info_dialog.h"
#include "locator/ip_settings_dialog.h"
#include "locator/library_seam.h"
#include "locator/locator_dialog.h"
#include "locator/message_box.h"
#include "locator/reboot_dialog.h"

#include "tests/support/lab.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <fstream>

namespace {

bool Save(QWidget &widget, const QString &directory, const QString &name)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget))
        return false;
    QTest::qWait(200);
    const QString path = QDir(directory).filePath(name + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// The first device row whose DHCP mode is `dhcp`, or row 0.
const KOVRDeviceInfoRecord *DeviceWithDhcp(const LocatorDialog &window, uint8_t dhcp)
{
    for (int i = 0; window.DeviceAt(i); ++i) {
        if (window.DeviceAt(i)->dhcpMode == dhcp)
            return window.DeviceAt(i);
    }
    return window.DeviceAt(0);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: locator_screenshots DEVICE-FILE OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(directory);

    kovr::test::Lab lab(kovr::test::Topology::Single);
    kovr::test::Simulator simulator(lab, nlohmann::json::parse(std::ifstream(argv[1])));
    bool ok = true;

    LocatorDialog window(RealLibrary());
    window.show();
    ok &= QTest::qWaitFor([&] { return window.DeviceAt(0) != nullptr; }, 30000);
    ok &= Save(window, directory, QStringLiteral("main-window"));

    {
        IpSettingsDialog dialog(RealLibrary(), &window);
        dialog.m_device = DeviceWithDhcp(window, 0);
        ok &= Save(dialog, directory, QStringLiteral("ip-settings-manual"));
    }
    {
        IpSettingsDialog dialog(RealLibrary(), &window);
        dialog.m_device = DeviceWithDhcp(window, 1);
        ok &= Save(dialog, directory, QStringLiteral("ip-settings-dhcp"));
    }
    {
        RebootDialog dialog(RealLibrary(), &window);
        dialog.m_device = window.DeviceAt(0);
        ok &= Save(dialog, directory, QStringLiteral("reboot-opened"));
        dialog.ControlAs<QLineEdit>(ControlId::RebootPassword)->setText(QStringLiteral("secret"));
        dialog.OnReboot();
        ok &= Save(dialog, directory, QStringLiteral("reboot-done"));
    }
    {
        DeviceInfoDialog dialog(&window);
        dialog.m_device = window.DeviceAt(0);
        ok &= Save(dialog, directory, QStringLiteral("device-info"));
    }
    // The real message box, captured while it waits for its OK.
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ok &= box && Save(*box, directory, QStringLiteral("error-box"));
        if (auto *dialog = qobject_cast<QDialog *>(box))
            dialog->accept();
    });
    ShowMessage(&window, QStringLiteral("An Error occured while rebooting the device.\nError Number: 1\n"
                                        "Error Message: Authentication Failed\n"));
    window.reject();
    return ok ? 0 : 1;
}
