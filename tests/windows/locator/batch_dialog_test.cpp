// Configure Selected Devices and Apply Plan over the scripted library,
// driven by window messages: the controls of either, a range that gives no
// addresses, an apply with its outcomes and counts, stopping one, the
// question before a plain password, and the main window's ways in, which
// refuse a plan that can't be used.
#include "common/secret_file.h"
#include "locator/core/record_text.h"
#include "locator/win32/batch_dialog.h"
#include "locator/win32/file_dialog.h"
#include "locator/win32/locator_window.h"
#include "locator/win32/message_box.h"
#include "locator/win32/wide_text.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"
#include "tests/windows/locator/window_tests.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

using Texts = std::vector<std::wstring>;
enum Column { Mac, Name, Current, New, Status };

// A batch dialog over the fake's devices, open on its own.
struct Batch {
    FakeLibrary fake;
    TempPins pins;
    std::unique_ptr<BatchDialog> dialog;

    explicit Batch(int devices) { fake.devices = SubnetDevices(devices); }
    bool OpenOn(std::vector<size_t> selected)
    {
        dialog = std::make_unique<BatchDialog>(fake.Seam(), BatchDevices{fake.devices, kLabSubnets},
                                               std::move(selected), pins.Pins());
        return dialog->Open(nullptr);
    }
    bool OpenOnAll()
    {
        std::vector<size_t> all(fake.devices.size());
        std::iota(all.begin(), all.end(), 0);
        return OpenOn(all);
    }
    HWND Item(int id) const { return dialog->Control(id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    Texts Cells(Column column) const { return RowTexts(Item(ControlId::BatchPreview), column); }
    size_t Count(Column column, const wchar_t *text) const
    {
        const Texts cells = Cells(column);
        return static_cast<size_t>(std::count(cells.begin(), cells.end(), text));
    }
    int Mark(int row) const
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(Item(ControlId::BatchPreview), &item);
        return item.iImage;
    }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void SetAddress(int id, const char *dotted) const
    {
        SendMessageW(Item(id), IPM_SETADDRESS, 0, static_cast<LPARAM>(PackedFromNetworkOrder(Address(dotted))));
    }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // Types the password and presses Enter in its field.
    void Apply(const wchar_t *password = L"s3cret") const
    {
        const HWND field = Item(ControlId::BatchPassword);
        SetWindowTextW(field, password);
        SetFocus(field);
        PostKey(field, VK_RETURN);
    }
};

std::wstring WriteFile(const std::string &folder, const std::string &text)
{
    const std::filesystem::path path = std::filesystem::path(folder) / "plan.csv";
    std::ofstream(path, std::ios::binary) << text;
    return path.wstring();
}

TEST(BatchDialog, ShowsTheSelectedDevicesOrAPlansWithWhatEachIsToGet)
{
    for (const bool plan : {false, true}) {
        SCOPED_TRACE(plan ? "plan" : "selected devices");
        Batch batch(3);
        if (plan) {
            const std::wstring path =
                WriteFile(batch.pins.Folder(), "mac,dhcp\n02:00:00:00:00:03,on\n02:00:00:00:00:01,on\n");
            batch.dialog = std::make_unique<BatchDialog>(batch.fake.Seam(), BatchDevices{batch.fake.devices, {}},
                                                         LoadPlanForList(Narrow(path), batch.fake.devices), "plan.csv",
                                                         batch.pins.Pins());
        }
        ASSERT_TRUE(plan ? batch.dialog->Open(nullptr) : batch.OpenOn({0, 2}));
        EXPECT_EQ(WindowText(batch.dialog->Window()), plan ? L"Apply Plan" : L"Configure Selected Devices");
        EXPECT_EQ(batch.Text(ControlId::BatchIntro),
                  plan ? L"Devices in the plan plan.csv: 2."
                       : L"Selected devices: 2. They all get DHCP, or each an address of its own from a range.");
        // In the plan's order; from cam-1's address on, each selected device keeps its own.
        EXPECT_EQ(batch.Cells(Mac)[0], plan ? L"02:00:00:00:00:03" : L"02:00:00:00:00:01");
        EXPECT_EQ(batch.Cells(Current)[0], plan ? L"ip 10.77.1.13 mask 255.255.255.0 gateway 10.77.1.1"
                                                : L"ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.1");
        EXPECT_EQ(batch.Cells(New), Texts(2, plan ? L"DHCP" : L"(unchanged)"));
        EXPECT_EQ(batch.Cells(Status), Texts(2, plan ? L"ready" : L"nothing to send"));
        EXPECT_TRUE(batch.Enabled(ControlId::BatchApply));
        EXPECT_FALSE(batch.Enabled(ControlId::BatchSaveCsv));
        EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Cancel");
        EXPECT_EQ(GetFocus(), batch.Item(plan ? ControlId::BatchPassword : ControlId::BatchRangeRadio));
        EXPECT_EQ(batch.Item(ControlId::BatchGateway) != nullptr, !plan);
        for (const auto &[id, shown] : {std::pair{ControlId::BatchFirstAddress, "10.77.1.11"},
                                        {ControlId::BatchSubnetMask, "255.255.255.0"},
                                        {ControlId::BatchGateway, "10.77.1.1"}}) {
            DWORD packed = 0;
            if (!plan) {
                SendMessageW(batch.Item(id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
                EXPECT_EQ(FormatDottedAddress(NetworkOrderFromPacked(packed)), shown) << id;
            }
        }
    }
}

TEST(BatchDialog, KeepsApplyOffWhileTheRangeGivesNoAddressesOrADeviceIsMarkedAnError)
{
    const struct {
        const char *name;
        const char *first, *mask, *gateway; // none: DHCP
        std::wstring problem;               // its start; empty: none
        std::wstring change;                // of the first device
        int mark;                           // of the first device
    } cases[] = {
        {"a mask that isn't one", "10.77.1.50", "255.0.255.0", "10.77.1.1",
         L"The subnet mask 255.0.255.0 is not contiguous", L"", I_IMAGENONE},
        {"the subnet's own address", "10.77.1.0", "255.255.255.0", "10.77.1.1",
         L"10.77.1.0 is not a device address in 10.77.1.0/24; choose a first address between 10.77.1.1 and "
         L"10.77.1.254.",
         L"", I_IMAGENONE},
        {"too few addresses", "10.77.1.253", "255.255.255.0", "10.77.1.1",
         L"From 10.77.1.253 to the end of 10.77.1.0/24 only 2 addresses are free, and 3 devices need one", L"",
         I_IMAGENONE},
        {"a gateway outside the subnet", "10.77.1.50", "255.255.255.0", "10.77.9.1",
         L"Apply stays off while a device is marked as an error: Gateway 10.77.9.1 is outside",
         L"ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.9.1", 1},
        {"DHCP", nullptr, nullptr, nullptr, L"", L"DHCP", I_IMAGENONE},
    };
    Batch batch(3);
    ASSERT_TRUE(batch.OpenOnAll());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        batch.Click(c.first ? ControlId::BatchRangeRadio : ControlId::BatchDhcpRadio);
        if (c.first) {
            batch.SetAddress(ControlId::BatchFirstAddress, c.first);
            batch.SetAddress(ControlId::BatchSubnetMask, c.mask);
            batch.SetAddress(ControlId::BatchGateway, c.gateway);
        }
        const std::wstring problem = batch.Text(ControlId::BatchProblem);
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(IsWindowVisible(batch.Item(ControlId::BatchProblem)) != FALSE, !c.problem.empty());
        EXPECT_EQ(batch.Enabled(ControlId::BatchApply), c.problem.empty());
        EXPECT_EQ(batch.Enabled(ControlId::BatchGateway), c.first != nullptr);
        EXPECT_EQ(batch.Cells(New)[0], c.change);
        EXPECT_EQ(batch.Mark(0), c.mark);
    }
    // Enter sends nothing while Apply is off.
    batch.Click(ControlId::BatchRangeRadio);
    batch.Apply();
    PumpPending();
    EXPECT_FALSE(batch.dialog->IsApplying());
    EXPECT_EQ(batch.fake.CommandCount(), 0);
}

TEST(BatchDialog, AppliesThreeDevicesShowingEachOutcomeAsItComesThenTheCountsAndTheCsv)
{
    ConfirmationCapture confirmation;
    Batch batch(3);
    // The first command goes through; the others wait.
    std::atomic<int> commands{0};
    Gate gate;
    batch.fake.onCommand = [&] {
        if (++commands > 1) {
            gate.Pass();
        }
    };
    ASSERT_TRUE(batch.OpenOnAll());
    batch.SetAddress(ControlId::BatchFirstAddress, "10.77.1.50");
    batch.Apply();
    ASSERT_TRUE(PumpUntil([&] { return gate.Reached() && batch.Count(Status, L"verified") == 1; }));
    EXPECT_EQ(batch.Count(Status, L"waiting"), 2u);
    EXPECT_EQ(SendMessageW(batch.Item(ControlId::BatchProgress), PBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"Applying...");
    EXPECT_EQ(batch.Text(ControlId::BatchPassword), L"");
    EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Cancel");
    for (const int id : {ControlId::BatchApply, ControlId::BatchPassword, ControlId::BatchFirstAddress}) {
        EXPECT_FALSE(batch.Enabled(id)) << id;
    }
    // The window paints and moves meanwhile.
    InvalidateRect(batch.Item(ControlId::BatchPreview), nullptr, TRUE);
    SetWindowPos(batch.dialog->Window(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpPending();
    EXPECT_FALSE(GetUpdateRect(batch.Item(ControlId::BatchPreview), nullptr, FALSE));
    RECT moved;
    GetWindowRect(batch.dialog->Window(), &moved);
    EXPECT_EQ(moved.left, 40);

    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return batch.dialog->Applied(); }));
    EXPECT_EQ(batch.Count(Status, L"verified"), 3u);
    EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"3 verified, 0 unchanged, 0 unverified, 0 failed, 0 not found");
    EXPECT_EQ(SendMessageW(batch.Item(ControlId::BatchProgress), PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Close");
    for (const FakeLibrary::NetworkCall &call : batch.fake.networkCalls) {
        EXPECT_EQ(call.password, "s3cret");
    }

    static std::filesystem::path csv;
    csv = std::filesystem::path(batch.pins.Folder()) / "outcomes.csv";
    const SavePathAsker previous = SetSavePathAsker([](HWND, const std::string &, const std::string &,
                                                       const std::wstring &) { return std::optional(csv.wstring()); });
    batch.Click(ControlId::BatchSaveCsv);
    SetSavePathAsker(previous);
    std::stringstream written;
    written << std::ifstream(csv, std::ios::binary).rdbuf();
    EXPECT_NE(written.str().find("\n02:00:00:00:00:01,cam-1,verified,ip 10.77.1.11 mask 255.255.255.0 gateway "
                                 "10.77.1.1,ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.1.1,\n"),
              std::string::npos)
        << written.str();
}

TEST(BatchDialog, CancelStopsTheRunOnceTheDevicesInHandAreDone)
{
    // The run works on 16 devices at a time; the last four are never started.
    constexpr int kInHand = 16;
    const struct {
        const char *name;
        bool closes;
    } cases[] = {{"the Cancel button", false}, {"Escape", true}, {"the close box", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ConfirmationCapture confirmation;
        Batch batch(kInHand + 4);
        std::atomic<int> inHand{0};
        Gate gate;
        batch.fake.onCommand = [&] {
            ++inHand;
            gate.Pass();
        };
        ASSERT_TRUE(batch.OpenOnAll());
        batch.Click(ControlId::BatchDhcpRadio);
        batch.Apply();
        ASSERT_TRUE(PumpUntil([&] { return inHand == kInHand; }));
        if (!c.closes) {
            batch.Click(ControlId::BatchClose);
        } else if (c.name == std::string("Escape")) {
            PostKey(GetFocus(), VK_ESCAPE);
        } else {
            PostMessageW(batch.dialog->Window(), WM_CLOSE, 0, 0);
        }
        PumpPending();
        EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"Stopping once the devices in hand are done...");
        EXPECT_FALSE(batch.Enabled(ControlId::BatchClose));
        gate.Open();
        ASSERT_TRUE(PumpUntil([&] { return !batch.dialog->IsApplying(); }));
        PumpPending();
        EXPECT_EQ(batch.fake.dhcpCalls.size(), size_t(kInHand));
        EXPECT_EQ(batch.dialog->Window() == nullptr, c.closes);
        // Every session of the run is closed.
        EXPECT_EQ(batch.fake.closed.size(), size_t(batch.fake.opens));
        for (const KOVR_HANDLE session : batch.fake.closed) {
            EXPECT_FALSE(batch.fake.IsOpen(session));
        }
        if (!c.closes) {
            EXPECT_EQ(batch.Text(ControlId::BatchOutcome),
                      L"16 verified, 0 unchanged, 0 unverified, 0 failed, 0 not found, 4 cancelled");
            EXPECT_EQ(batch.Count(Status, L"cancelled"), 4u);
        }
    }
}

TEST(BatchDialog, AsksOnceBeforePlainPasswordsAndItsCancelSendsNothing)
{
    const struct {
        const char *name;
        bool requireChallenge, answer;
        int questions, sent;
        std::wstring outcome;
    } cases[] = {
        {"Cancel", false, false, 1, 0, L"0 verified, 0 unchanged, 0 unverified, 2 failed, 0 not found"},
        {"OK", false, true, 1, 2, L"2 verified, 0 unchanged, 0 unverified, 0 failed, 0 not found"},
        {"a challenge required", true, true, 0, 0, L"0 verified, 0 unchanged, 0 unverified, 2 failed, 0 not found"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ConfirmationCapture confirmation(c.answer);
        Batch batch(2);
        ASSERT_TRUE(batch.OpenOnAll());
        batch.Click(ControlId::BatchDhcpRadio);
        if (c.requireChallenge) {
            batch.Click(ControlId::BatchRequireChallenge);
        }
        batch.Apply();
        ASSERT_TRUE(PumpUntil([&] { return batch.dialog->Applied(); }));
        EXPECT_EQ(confirmation.Asked(), c.questions);
        EXPECT_EQ(batch.fake.CommandCount(), c.sent);
        EXPECT_EQ(batch.Text(ControlId::BatchOutcome), c.outcome);
    }
}

// While it lives, applies DHCP in the first batch dialog that shows, then
// closes it; a modal dialog runs its own loop, whose timers still fire.
class BatchDriver {
public:
    BatchDriver() : timer_(SetTimer(nullptr, 0, 20, Look)) { s_driven = 0; }
    ~BatchDriver() { KillTimer(nullptr, timer_); }
    int Driven() const { return s_driven; }

private:
    static void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND dialog = FindWindowW(L"#32770", L"Configure Selected Devices");
        dialog = dialog ? dialog : FindWindowW(L"#32770", L"Apply Plan");
        if (!dialog || s_driven > 0) {
            return;
        }
        ++s_driven;
        SendDlgItemMessageW(dialog, ControlId::BatchDhcpRadio, BM_CLICK, 0, 0);
        SendMessageW(dialog, WM_COMMAND, ControlId::BatchApply, 0);
        PumpUntil([&] { return WindowText(GetDlgItem(dialog, ControlId::BatchClose)) == L"Close"; });
        SendMessageW(dialog, WM_COMMAND, ControlId::BatchClose, 0);
    }
    static inline int s_driven;
    const UINT_PTR timer_;
};

TEST(MainWindow, OpensTheBatchOnTheSelectedRowsOrAPlanAndRefusesAPlanThatCantBeUsed)
{
    const struct {
        const char *name;
        std::string plan;    // none: Ctrl+Shift+C on rows 0 and 2, else Ctrl+O
        std::string refusal; // the message after its first line; none: applied
        std::vector<int> configured;
    } cases[] = {
        {"selected rows", "", "", {1, 3}},
        {"a plan", "mac,dhcp\n02:00:00:00:00:02,on\n", "", {2}},
        {"a plan too big", std::string(17 * 1024 * 1024, '#'), "the file is larger than 16 MiB\n", {}},
        {"an invalid plan",
         "mac,ip,mask,gateway\n02:00:00:00:00:01,10.77.1.40,255.0.255.0,10.77.1.1\n",
         "line 2: mask '255.0.255.0' is not a subnet mask such as 255.255.255.0\n",
         {}},
        // Wine gives a file the access list of its mode, and the lab's files
        // can be read by everyone.
        {"a plan that others may read",
         "mac,dhcp,password\n02:00:00:00:00:01,on,pw\n",
         std::string("holds passwords but ") + kovr::common::kOthersMayReadAdvice + "\n",
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = SubnetDevices(3);
        TempPins pins;
        LocatorWindow window(fake.Seam(), pins.Pins());
        window.SetSubnetSource([] { return kLabSubnets; });
        ASSERT_TRUE(window.Open(nullptr));
        ASSERT_TRUE(PumpUntil([&] { return fake.searches == 1 && !window.IsSearching(); }));
        static std::wstring plan;
        plan = c.plan.empty() ? L"" : WriteFile(pins.Folder(), c.plan);
        const OpenPathAsker previous =
            SetOpenPathAsker([](HWND, const std::string &, const std::string &) { return std::optional(plan); });
        MessageCapture messages;
        ConfirmationCapture confirmation;
        BatchDriver driver;
        const HWND list = window.Control(ControlId::DeviceList);
        if (c.plan.empty()) {
            SelectRows(list, {0, 2});
            PostKey(list, 'C', true, true);
        } else {
            PostKey(list, 'O', true);
        }
        SetOpenPathAsker(previous);
        EXPECT_EQ(driver.Driven(), c.refusal.empty() ? 1 : 0);
        if (c.refusal.empty()) {
            EXPECT_TRUE(messages.Texts().empty());
            // The list shows what the devices hold now.
            EXPECT_TRUE(PumpUntil([&] { return fake.searches == 2 && !window.IsSearching(); }));
        } else {
            EXPECT_EQ(messages.Texts(),
                      std::vector<std::string>{"The plan " + Narrow(plan) + " can't be used, and nothing was sent:\n" +
                                               c.refusal});
            EXPECT_EQ(fake.opens, 1); // the window's own
        }
        std::vector<int> configured;
        for (const FakeLibrary::DhcpCall &call : fake.dhcpCalls) {
            configured.push_back(call.mac[5]);
        }
        std::sort(configured.begin(), configured.end());
        EXPECT_EQ(configured, c.configured);
    }
}

} // namespace
