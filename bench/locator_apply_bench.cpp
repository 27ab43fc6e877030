// The locator's Configure Selected Devices against `kovr apply` with the
// same plan: DEVICES simulated devices (digest passwords) each moved to an
// address of their own in 10.77.1.0/24, each change verified by a query,
// both with the default parallelism. The dialog is timed from Apply to the
// last outcome (the list is already there); kovr apply from start to exit,
// its search (ended 1 s after the last reply) included. Each run has fresh
// devices in a lab of its own.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/locator_apply_bench [DEVICES [RUNS]]
#include "common/host_interfaces.h"
#include "locator/batch_dialog.h"
#include "locator/core/library_seam.h"
#include "locator/ip_address_control.h"
#include "locator/locator_dialog.h"
#include "tests/locator/accessible_find.h"
#include "tests/support/lab.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace kovr::locator;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFirstHost = 120; // the devices start at 10.77.1.11

nlohmann::json DeviceConfig(int devices)
{
    std::vector<nlohmann::json> entries;
    for (int i = 1; i <= devices; ++i) {
        entries.push_back(kovr::test::DeviceJson(i));
    }
    return kovr::test::Devices(entries);
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds from Apply to the last outcome, or a negative number when a
// device ends other than verified.
double TimeDialog(int devices)
{
    kovr::test::Lab lab{kovr::test::Topology::Single};
    kovr::test::Simulator simulator{lab, DeviceConfig(devices)};
    LocatorDialog window(RealLibrary());
    window.show();
    if (!QTest::qWaitFor([&] { return window.DeviceAt(devices - 1) != nullptr && !window.IsSearching(); }, 60000)) {
        return -1;
    }
    BatchDialog::Devices listed{{}, kovr::common::HostSubnets()};
    std::vector<size_t> all;
    for (int i = 0; window.DeviceAt(i); ++i) {
        listed.list.push_back(*window.DeviceAt(i));
        all.push_back(static_cast<size_t>(i));
    }
    BatchDialog dialog(RealLibrary(), listed, all, window.Pins(), &window);
    dialog.show();
    using kovr::test::Named;
    Named<IpAddressControl>(dialog, QStringLiteral("First address"))->SetAddress(0x0A4D0100 | kFirstHost);
    Named<IpAddressControl>(dialog, QStringLiteral("Subnet mask"))->SetAddress(0xFFFFFF00);
    Named<IpAddressControl>(dialog, QStringLiteral("Gateway"))->SetAddress(0x0A4D01FE);
    Named<QLineEdit>(dialog, QStringLiteral("Password"))->setText(QStringLiteral("secret"));
    const Clock::time_point start = Clock::now();
    Named<QPushButton>(dialog, QStringLiteral("Apply"))->click();
    const bool ended = QTest::qWaitFor([&] { return dialog.Applied(); }, 300000);
    const double seconds = Seconds(start);
    const QTreeWidget *preview = Named<QTreeWidget>(dialog, QStringLiteral("Preview"));
    int verified = 0;
    for (int i = 0; i < preview->topLevelItemCount(); ++i) {
        verified += preview->topLevelItem(i)->text(4) == QStringLiteral("verified");
    }
    dialog.reject();
    window.reject();
    return ended && verified == devices ? seconds : -1;
}

// Seconds of the whole run, or a negative number when it fails.
double TimeCli(int devices)
{
    kovr::test::Lab lab{kovr::test::Topology::Single};
    kovr::test::Simulator simulator{lab, DeviceConfig(devices)};
    const std::string directory = "/tmp/kovr-locator-apply-bench-" + std::to_string(getpid());
    mkdir(directory.c_str(), 0700);
    const std::string plan = directory + "/plan.csv";
    const std::string password = directory + "/password";
    std::ofstream(password) << "secret\n";
    chmod(password.c_str(), 0600);
    {
        std::ofstream out(plan);
        out << "mac,ip,mask,gateway\n";
        for (int i = 1; i <= devices; ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "02:00:00:00:%02x:%02x,10.77.1.%d,255.255.255.0,10.77.1.254\n",
                          (i >> 8) & 0xff, i & 0xff, kFirstHost + i - 1);
            out << line;
        }
    }
    const std::string command =
        std::string(KOVR_CLI_PATH) + " apply " + plan + " --password-file " + password + " --idle 1000 > /dev/null";
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = Seconds(start);
    std::remove(plan.c_str());
    std::remove(password.c_str());
    rmdir(directory.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The window and kovr pin the devices in a state folder of the run's own.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    const int devices = argc > 1 ? std::atoi(argv[1]) : 100;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (devices < 1 || devices > 100 || runs < 1) {
        std::fprintf(stderr, "usage: locator_apply_bench [DEVICES (1 to 100) [RUNS]]\n");
        return 2;
    }
    bool ok = true;
    for (int run = 1; run <= runs; ++run) {
        const double cli = TimeCli(devices);
        const double dialog = TimeDialog(devices);
        std::printf("locator_apply_bench: run %d, %d devices: kovr apply %.2f s, dialog %.2f s\n", run, devices, cli,
                    dialog);
        std::fflush(stdout);
        ok &= cli >= 0 && dialog >= 0 && dialog <= cli + 2;
    }
    return ok ? 0 : 1;
}
