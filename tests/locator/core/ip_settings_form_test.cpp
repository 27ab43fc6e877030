// The IP settings dialog's decisions without a window: each story is a
// table of actions with the state the face is told after each.
#include "locator/core/ip_settings_form.h"
#include "locator/core/record_text.h"
#include "locator/core/workers.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/locator/core/test_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace kovr::locator;
using namespace kovr::test;
using Form = IpSettingsForm;

namespace {

const FakeLibrary::Mac kMac = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
const std::string kRefused = "An Error occurred.\nError Number: 1\nError Message: Authentication Failed\n";

// The state in one line: mode, fields on or off, then what is set of busy,
// reload, the box's text and the end.
std::string Show(const Form::State &s)
{
    std::string line = s.mode == Form::Mode::Dhcp ? "dhcp" : "manual";
    line += s.addressesOn ? " on" : " off";
    line += s.busy ? " busy" : "";
    line += s.reload ? " reload" : "";
    line += s.box ? " box:" + English(*s.box) : "";
    line += s.end == Form::End::Applied ? " applied" : s.end == Form::End::Cancelled ? " cancelled" : "";
    return line;
}

TEST(IpSettingsForm, OpensInTheModeTheDeviceReportsWithItsAddresses)
{
    struct Case {
        const char *name;
        uint8_t dhcpMode;
        bool reported;
        const char *state;
    };
    const Case cases[] = {
        {"DHCP on", 1, true, "dhcp off reload"},
        {"DHCP off", 0, true, "manual on reload"},
        {"not reported", 0, false, "manual on reload"},
        {"unknown value", 7, true, "manual on reload"},
        // As kovr judges it: DHCP is on only when the device reports it.
        {"1 without presence bit", 1, false, "manual on reload"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        TempPins pins;
        TestUi ui;
        const Form form(fake.Seam(), SettingsRecord(kMac, "dispatch-S\xC3\xBC", c.dhcpMode, c.reported), pins.Pins(),
                        ui.Post(), nullptr, [](const Form::State &) { FAIL(); });
        const Form::State opening = form.Opening();
        EXPECT_EQ(Show(opening), c.state);
        EXPECT_EQ(opening.product, "dispatch-S\xC3\xBC");
        EXPECT_EQ(opening.mac, "0a:1b:2c:3d:4e:5f");
        EXPECT_EQ(opening.addresses, (Form::Addresses{0x0A4D010A, 0xFFFFFF00, 0x0A4D01FE}));
    }
}

// Steps of a story; Finish waits for the change to end, Teardown drops
// the form while it runs.
enum class Act { Dhcp, Manual, Apply, ApplyTooLong, Close, Finish, Teardown };

struct Step {
    Act act;
    std::string told; // the state told after it; "" when nothing is told
};

struct Setup {
    uint8_t dhcpMode;
    bool confirm;       // the answer to the question before a plain password
    int32_t result;     // of the command
    std::string reason; // the library's error message
    bool held;          // the command waits until the first Finish
};

struct Story {
    const char *name;
    Setup setup;
    std::vector<Step> steps;
    const char *sent; // the commands sent, "" for none
};

std::string Sent(const FakeLibrary &fake)
{
    std::string sent;
    for (const FakeLibrary::DhcpCall &call : fake.dhcpCalls) {
        sent += "dhcp " + std::to_string(call.mode) + " " + call.password;
    }
    for (const FakeLibrary::NetworkCall &call : fake.networkCalls) {
        sent += FormatDottedAddress(call.ip) + " " + FormatDottedAddress(call.mask) + " " +
                FormatDottedAddress(call.gateway) + " " + call.password;
    }
    return sent;
}

TEST(IpSettingsForm, TellsTheFaceWhatEachActionAndOutcomeDoes)
{
    const std::string cut = "An Error occurred.\nError Number: 1\nError Message: " + std::string(254, 'x') + "\n";
    const std::vector<Story> stories = {
        {"every click reloads, the fields on in manual mode only",
         {0, true, 0, "", false},
         {{Act::Dhcp, "dhcp off reload"}, {Act::Dhcp, "dhcp off reload"}, {Act::Manual, "manual on reload"}},
         ""},
        {"DHCP: only DHCP on is asked for, then the dialog ends",
         {1, true, 0, "", false},
         {{Act::Apply, "dhcp off busy"}, {Act::Finish, "dhcp off applied"}},
         "dhcp 1 secret"},
        {"manual: the typed fields in network order",
         {1, true, 0, "", false},
         {{Act::Manual, "manual on reload"}, {Act::Apply, "manual on busy"}, {Act::Finish, "manual on applied"}},
         "192.168.1.10 255.255.255.0 192.168.1.1 secret"},
        {"a refusal is shown, then the dialog ends anyway",
         {1, true, 1, "Authentication Failed", false},
         {{Act::Apply, "dhcp off busy"}, {Act::Finish, ("dhcp off box:" + kRefused + " applied")}},
         "dhcp 1 secret"},
        {"a long reason is cut",
         {1, true, 1, std::string(300, 'x'), false},
         {{Act::Apply, "dhcp off busy"}, {Act::Finish, ("dhcp off box:" + cut + " applied")}},
         "dhcp 1 secret"},
        {"a password too long is told and nothing is sent",
         {0, true, 0, "", false},
         {{Act::ApplyTooLong, "manual on box:The password is longer than 1023 bytes.\n"},
          {Act::Close, "manual on cancelled"}},
         ""},
        {"a plain password declined: back in the dialog",
         {1, false, 0, "", false},
         {{Act::Apply, "dhcp off busy"}, {Act::Finish, "dhcp off"}, {Act::Close, "dhcp off cancelled"}},
         ""},
        {"while busy: no mode change, no second apply, no close; the failure still shown",
         {0, true, 1, "Authentication Failed", true},
         {{Act::Apply, "manual on busy"},
          {Act::Dhcp, "manual on busy"},
          {Act::Apply, "manual on busy"},
          {Act::ApplyTooLong, "manual on busy"},
          {Act::Close, "manual on busy"},
          {Act::Finish, ("manual on box:" + kRefused + " applied")},
          {Act::Close, "manual on applied"},
          {Act::Dhcp, "manual on applied"}},
         "192.168.1.10 255.255.255.0 192.168.1.1 secret"},
        {"closing sends nothing",
         {0, true, 0, "", false},
         {{Act::Close, "manual on cancelled"}, {Act::Apply, "manual on cancelled"}},
         ""},
        {"a torn-down window is told nothing",
         {0, true, 0, "", true},
         {{Act::Apply, "manual on busy"}, {Act::Teardown, ""}},
         "192.168.1.10 255.255.255.0 192.168.1.1 secret"},
    };
    for (const Story &s : stories) {
        SCOPED_TRACE(s.name);
        FakeLibrary fake;
        fake.commandResult = s.setup.result;
        fake.errorNumber = s.setup.result;
        fake.errorMessage = s.setup.reason;
        Gate gate;
        if (s.setup.held) {
            fake.onCommand = [&] { gate.Pass(); };
        }
        TempPins pins;
        TestUi ui;
        std::vector<std::string> told;
        std::optional<Form> form;
        form.emplace(
            fake.Seam(), SettingsRecord(kMac, "7100-NT", s.setup.dhcpMode, true), pins.Pins(), ui.Post(),
            [&](const Message &) { return s.setup.confirm; },
            [&](const Form::State &state) { told.push_back(Show(state)); });
        for (const Step &step : s.steps) {
            told.clear();
            auto secret = std::make_unique<kovr::common::Password>();
            secret->Assign("secret", 6);
            switch (step.act) {
            case Act::Dhcp:
                form->OnModeChosen(Form::Mode::Dhcp);
                break;
            case Act::Manual:
                form->OnModeChosen(Form::Mode::Manual);
                break;
            case Act::Apply:
                form->OnApply(std::move(secret), {0xC0A8010A, 0xFFFFFF00, 0xC0A80101});
                break;
            case Act::ApplyTooLong:
                form->OnApply(nullptr, {});
                break;
            case Act::Close:
                form->OnClose();
                break;
            case Act::Finish:
                gate.Open();
                ASSERT_TRUE(ui.RunUntil([&] { return !form->Busy(); }));
                break;
            case Act::Teardown:
                ASSERT_TRUE(ui.RunUntil([&] { return gate.Reached(); }));
                form.reset();
                gate.Open();
                ApplicationWorkers().JoinAll();
                EXPECT_FALSE(ui.RunUntil([] { return false; }, std::chrono::seconds(0)));
                break;
            }
            EXPECT_EQ(told, step.told.empty() ? std::vector<std::string>{} : std::vector<std::string>{step.told});
        }
        // A change left running ends before the story's library goes.
        gate.Open();
        if (form) {
            EXPECT_TRUE(ui.RunUntil([&] { return !form->Busy(); }));
        }
        ApplicationWorkers().JoinAll();
        EXPECT_EQ(Sent(fake), s.sent);
        EXPECT_EQ(fake.closed.size(), static_cast<size_t>(fake.opens));
    }
}

} // namespace
