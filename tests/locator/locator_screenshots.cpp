// Renders the main window and each dialog into PNG files, for a look at
// them: the real library against the demo's simulated devices in a private
// lab. Run it under Xvfb and tests/netlab/isolated:
//   locator_screenshots DEVICE-FILE OUTPUT-DIRECTORY
// Without QT_SCALE_FACTOR it renders at the scales 1 and 2, each into a
// folder of its own (scale-1, scale-2); with it, at that scale only.
#include "common/host_interfaces.h"
#include "locator/batch_dialog.h"
#include "locator/core/library_seam.h"
#include "locator/device_info_dialog.h"
#include "locator/ip_address_control.h"
#include "locator/ip_settings_dialog.h"
#include "locator/locator_dialog.h"
#include "locator/message_box.h"
#include "locator/reboot_dialog.h"

#include "tests/support/lab.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <arpa/inet.h>

#include <cstdio>
#include <fstream>

using namespace kovr::locator;

namespace {

bool Save(QWidget &widget, const QString &directory, const QString &name)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) {
        return false;
    }
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
        if (window.DeviceAt(i)->dhcpMode == dhcp) {
            return window.DeviceAt(i);
        }
    }
    return window.DeviceAt(0);
}

// Runs this program once per scale, since Qt reads the scale at start.
int RenderAtEachScale(const QString &deviceFile, const QString &directory)
{
    bool ok = true;
    for (const char *scale : {"1", "2"}) {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(scale));
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {deviceFile, QDir(directory).filePath(QStringLiteral("scale-") + QLatin1String(scale))});
        ok &= run.waitForFinished(120000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Pins go to a state folder of the run's own, never the user's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    if (argc != 3) {
        std::fprintf(stderr, "usage: locator_screenshots DEVICE-FILE OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[2]);
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) {
        return RenderAtEachScale(QString::fromLocal8Bit(argv[1]), directory);
    }
    QDir().mkpath(directory);

    kovr::test::Lab lab(kovr::test::Topology::Single);
    kovr::test::Simulator simulator(lab, nlohmann::json::parse(std::ifstream(argv[1])));
    bool ok = true;

    LocatorDialog window(RealLibrary());
    window.show();
    ok &= QTest::qWaitFor([&] { return window.DeviceAt(0) != nullptr; }, 30000);
    ok &= Save(window, directory, QStringLiteral("main-window"));

    {
        IpSettingsDialog dialog(RealLibrary(), *DeviceWithDhcp(window, 0), window.Pins(), &window);
        ok &= Save(dialog, directory, QStringLiteral("ip-settings-manual"));
    }
    {
        IpSettingsDialog dialog(RealLibrary(), *DeviceWithDhcp(window, 1), window.Pins(), &window);
        ok &= Save(dialog, directory, QStringLiteral("ip-settings-dhcp"));
    }
    {
        RebootDialog dialog(RealLibrary(), *window.DeviceAt(0), window.Pins(), &window);
        ok &= Save(dialog, directory, QStringLiteral("reboot-opened"));
        dialog.ControlAs<QLineEdit>(ControlId::RebootPassword)->setText(QStringLiteral("secret"));
        // A device without a challenge is asked about: the real question,
        // captured while it waits, then answered yes.
        QTimer question;
        question.setInterval(50);
        QObject::connect(&question, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                question.stop();
                ok &= Save(*box, directory, QStringLiteral("plain-password-question"));
                box->button(QMessageBox::Ok)->click();
            }
        });
        question.start();
        dialog.OnReboot();
        ok &= QTest::qWaitFor([&] { return !dialog.IsBusy(); }, 60000);
        ok &= Save(dialog, directory, QStringLiteral("reboot-done"));
    }
    {
        DeviceInfoDialog dialog(*window.DeviceAt(0), &window);
        ok &= Save(dialog, directory, QStringLiteral("device-info"));
    }
    {
        // Every device selected: the preview, then a gateway outside the
        // range's subnet, which the preview marks.
        BatchDialog::Devices devices{{}, kovr::common::HostSubnets()};
        std::vector<size_t> all;
        for (int i = 0; window.DeviceAt(i); ++i) {
            devices.list.push_back(*window.DeviceAt(i));
            all.push_back(static_cast<size_t>(i));
        }
        BatchDialog dialog(RealLibrary(), devices, all, window.Pins(), &window);
        ok &= Save(dialog, directory, QStringLiteral("configure-selected"));
        dialog.findChildren<IpAddressControl *>().at(2)->SetAddress(0xC0A80101);
        ok &= Save(dialog, directory, QStringLiteral("configure-selected-marked"));
    }
    {
        // Subnets that none of the devices is in: every row gets its mark.
        LocatorDialog marked(RealLibrary());
        marked.SetSubnetSource([] {
            return std::vector<kovr::common::LocalSubnet>{{htonl(0xC0A80101), htonl(0xFFFFFF00)}};
        });
        marked.show();
        ok &= QTest::qWaitFor([&] { return marked.DeviceAt(0) != nullptr; }, 30000);
        ok &= Save(marked, directory, QStringLiteral("main-window-marked"));
        marked.reject();
    }
    // The real message box, captured while it waits for its OK.
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ok &= box && Save(*box, directory, QStringLiteral("error-box"));
        if (auto *dialog = qobject_cast<QDialog *>(box)) {
            dialog->accept();
        }
    });
    ShowMessage(&window, QStringLiteral("An Error occured while rebooting the device.\nError Number: 1\n"
                                        "Error Message: Authentication Failed\n"));
    window.reject();
    return ok ? 0 : 1;
}
