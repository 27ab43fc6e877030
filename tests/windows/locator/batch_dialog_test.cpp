// Configure Selected Devices and Apply Plan over the scripted library,
// driven by window messages: the controls of either, a range that gives no
// addresses, an apply with its outcomes and counts, stopping one, the
// question before a plain password, and the main window's way in, which
// refuses a plan that can't be used.
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

#include <aclapi.h>
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

std::vector<size_t> All(size_t count)
{
    std::vector<size_t> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

// Answers the questions before plain passwords, and keeps them.
class Questions {
public:
    Questions() : previous_(SetConfirmationPresenter(Ask))
    {
        s_asked.clear();
        s_answer = true;
    }
    ~Questions() { SetConfirmationPresenter(previous_); }
    Questions(const Questions &) = delete;
    Questions &operator=(const Questions &) = delete;

    void Answer(bool yes) { s_answer = yes; }
    const std::vector<std::string> &Asked() const { return s_asked; }

private:
    static bool Ask(HWND, const std::string &text)
    {
        s_asked.push_back(text);
        return s_answer;
    }
    static inline std::vector<std::string> s_asked;
    static inline bool s_answer = true;
    const ConfirmationPresenter previous_;
};

// A batch dialog over the fake, open on its own.
struct Batch {
    FakeLibrary fake;
    TempPins pins;
    Questions questions;
    std::unique_ptr<BatchDialog> dialog;

    bool OpenOn(std::vector<size_t> selected)
    {
        dialog = std::make_unique<BatchDialog>(fake.Seam(), BatchDevices{fake.devices, kLabSubnets},
                                               std::move(selected), pins.Pins());
        return dialog->Open(nullptr);
    }
    HWND Item(int id) const { return dialog->Control(id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    Texts Cells(Column column) const { return RowTexts(Item(ControlId::BatchPreview), column); }
    int Mark(int row) const
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(Item(ControlId::BatchPreview), &item);
        return item.iImage;
    }
    void SetAddress(int id, const char *dotted) const
    {
        SendMessageW(Item(id), IPM_SETADDRESS, 0, static_cast<LPARAM>(PackedFromNetworkOrder(Address(dotted))));
    }
    // Types the password and presses Enter in its field.
    void Apply(const wchar_t *password) const
    {
        const HWND field = Item(ControlId::BatchPassword);
        SetWindowTextW(field, password);
        SetFocus(field);
        PostKey(field, VK_RETURN);
    }
    bool ApplyAndWait(const wchar_t *password = L"s3cret")
    {
        Apply(password);
        return PumpUntil([&] { return dialog->Applied(); });
    }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
};

std::wstring WriteFile(const std::string &folder, const std::string &name, const std::string &text)
{
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.wstring();
}

TEST(BatchDialog, ShowsTheSelectedDevicesOrAPlansWithWhatEachIsToGet)
{
    struct Case {
        const char *name;
        bool plan;
        std::wstring caption, intro;
        Texts macs, current, news, statuses;
        int focus;
    };
    const std::wstring cam1 = L"ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.1";
    const std::wstring cam3 = L"ip 10.77.1.13 mask 255.255.255.0 gateway 10.77.1.1";
    const Case cases[] = {
        // From cam-1's address on, each keeps its own.
        {"selected devices",
         false,
         L"Configure Selected Devices",
         L"Selected devices: 2. They all get DHCP, or each an address of its own from a range.",
         {L"02:00:00:00:00:01", L"02:00:00:00:00:03"},
         {cam1, cam3},
         {L"(unchanged)", L"(unchanged)"},
         {L"nothing to send", L"nothing to send"},
         ControlId::BatchRangeRadio},
        {"plan",
         true,
         L"Apply Plan",
         L"Devices in the plan plan.csv: 2.",
         {L"02:00:00:00:00:03", L"02:00:00:00:00:01"},
         {cam3, cam1},
         {L"DHCP", L"DHCP"},
         {L"ready", L"ready"},
         ControlId::BatchPassword},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Batch batch;
        batch.fake.devices = SubnetDevices(3);
        if (c.plan) {
            const std::wstring path =
                WriteFile(batch.pins.Folder(), "plan.csv", "mac,dhcp\n02:00:00:00:00:03,on\n02:00:00:00:00:01,on\n");
            ListPlan plan = LoadPlanForList(Narrow(path), batch.fake.devices);
            ASSERT_FALSE(plan.error);
            batch.dialog = std::make_unique<BatchDialog>(batch.fake.Seam(), BatchDevices{batch.fake.devices, {}},
                                                         std::move(plan), "plan.csv", batch.pins.Pins());
            ASSERT_TRUE(batch.dialog->Open(nullptr));
        } else {
            ASSERT_TRUE(batch.OpenOn({0, 2}));
        }
        EXPECT_EQ(WindowText(batch.dialog->Window()), c.caption);
        EXPECT_EQ(batch.Text(ControlId::BatchIntro), c.intro);
        const HWND header = ListView_GetHeader(batch.Item(ControlId::BatchPreview));
        Texts titles;
        for (int i = 0; i < Header_GetItemCount(header); ++i) {
            wchar_t title[64] = {};
            HDITEMW item = {};
            item.mask = HDI_TEXT;
            item.pszText = title;
            item.cchTextMax = 64;
            Header_GetItem(header, i, &item);
            titles.push_back(title);
        }
        EXPECT_EQ(titles, (Texts{L"MAC Address", L"Name", L"Current Setting", L"New Setting", L"Status"}));
        EXPECT_EQ(batch.Cells(Mac), c.macs);
        EXPECT_EQ(batch.Cells(Current), c.current);
        EXPECT_EQ(batch.Cells(New), c.news);
        EXPECT_EQ(batch.Cells(Status), c.statuses);
        EXPECT_EQ(batch.Mark(0), I_IMAGENONE);
        EXPECT_TRUE(IsWindowEnabled(batch.Item(ControlId::BatchApply)));
        EXPECT_FALSE(IsWindowEnabled(batch.Item(ControlId::BatchSaveCsv)));
        EXPECT_FALSE(IsWindowVisible(batch.Item(ControlId::BatchProblem)));
        EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Cancel");
        EXPECT_EQ(GetFocus(), batch.Item(c.focus));
        EXPECT_EQ(batch.Item(ControlId::BatchFirstAddress) != nullptr, !c.plan);
        if (!c.plan) {
            EXPECT_EQ(IsDlgButtonChecked(batch.dialog->Window(), ControlId::BatchRangeRadio), BST_CHECKED);
            for (const auto &[id, shown] : {std::pair{ControlId::BatchFirstAddress, "10.77.1.11"},
                                            {ControlId::BatchSubnetMask, "255.255.255.0"},
                                            {ControlId::BatchGateway, "10.77.1.1"}}) {
                DWORD packed = 0;
                SendMessageW(batch.Item(id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
                EXPECT_EQ(FormatDottedAddress(NetworkOrderFromPacked(packed)), shown) << id;
            }
        }
    }
}

TEST(BatchDialog, KeepsApplyOffWhileTheRangeGivesNoAddressesOrADeviceIsMarkedAnError)
{
    struct Case {
        const char *name;
        const char *first, *mask, *gateway; // none: DHCP
        std::wstring problem;               // its start; empty: none
        int mark;                           // of the first row
    };
    const Case cases[] = {
        {"a mask that isn't one", "10.77.1.50", "255.0.255.0", "10.77.1.1",
         L"The subnet mask 255.0.255.0 is not contiguous", I_IMAGENONE},
        {"the subnet's own address", "10.77.1.0", "255.255.255.0", "10.77.1.1",
         L"10.77.1.0 is not a device address in 10.77.1.0/24; choose a first address between 10.77.1.1 and "
         L"10.77.1.254.",
         I_IMAGENONE},
        {"too few addresses", "10.77.1.253", "255.255.255.0", "10.77.1.1",
         L"From 10.77.1.253 to the end of 10.77.1.0/24 only 2 addresses are free, and 3 devices need one", I_IMAGENONE},
        {"a gateway outside the subnet", "10.77.1.50", "255.255.255.0", "10.77.9.1",
         L"Apply stays off while a device is marked as an error: Gateway 10.77.9.1 is outside", 1},
        {"DHCP", nullptr, nullptr, nullptr, L"", I_IMAGENONE},
    };
    Batch batch;
    batch.fake.devices = SubnetDevices(3);
    ASSERT_TRUE(batch.OpenOn(All(3)));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.first) {
            batch.Click(ControlId::BatchRangeRadio);
            batch.SetAddress(ControlId::BatchFirstAddress, c.first);
            batch.SetAddress(ControlId::BatchSubnetMask, c.mask);
            batch.SetAddress(ControlId::BatchGateway, c.gateway);
        } else {
            batch.Click(ControlId::BatchDhcpRadio);
        }
        const std::wstring problem = batch.Text(ControlId::BatchProblem);
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(problem.empty(), c.problem.empty()) << Narrow(problem);
        EXPECT_EQ(IsWindowVisible(batch.Item(ControlId::BatchProblem)) != FALSE, !c.problem.empty());
        EXPECT_EQ(IsWindowEnabled(batch.Item(ControlId::BatchApply)) != FALSE, c.problem.empty());
        EXPECT_EQ(IsWindowEnabled(batch.Item(ControlId::BatchGateway)) != FALSE, c.first != nullptr);
        EXPECT_EQ(batch.Mark(0), c.mark);
        EXPECT_EQ(batch.Cells(New)[0], c.mark != I_IMAGENONE ? L"ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.9.1"
                                       : c.first             ? L""
                                                             : L"DHCP");
    }
    // Enter sends nothing while Apply is off.
    batch.Click(ControlId::BatchRangeRadio);
    batch.Apply(L"s3cret");
    PumpPending();
    EXPECT_FALSE(batch.dialog->IsApplying());
    EXPECT_EQ(batch.fake.CommandCount(), 0);
}

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_PAINT) {
        ++*reinterpret_cast<int *>(data);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(BatchDialog, AppliesThreeDevicesShowingEachOutcomeAsItComesThenTheCountsAndTheCsv)
{
    Batch batch;
    batch.fake.devices = SubnetDevices(3);
    // The first command goes through; the others wait.
    std::atomic<int> commands{0};
    Gate gate;
    batch.fake.onCommand = [&] {
        if (++commands > 1) {
            gate.Pass();
        }
    };
    ASSERT_TRUE(batch.OpenOn(All(3)));
    batch.SetAddress(ControlId::BatchFirstAddress, "10.77.1.50");
    batch.Apply(L"s3cret");
    ASSERT_TRUE(PumpUntil([&] { return gate.Reached() && batch.Text(ControlId::BatchOutcome) == L"Applying..."; }));
    ASSERT_TRUE(PumpUntil([&] {
        const Texts statuses = batch.Cells(Status);
        return std::count(statuses.begin(), statuses.end(), L"verified") == 1;
    }));
    const Texts statuses = batch.Cells(Status);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), L"waiting"), 2);
    EXPECT_EQ(SendMessageW(batch.Item(ControlId::BatchProgress), PBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(batch.Text(ControlId::BatchPassword), L"");
    EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Cancel");
    for (const int id : {ControlId::BatchApply, ControlId::BatchPassword, ControlId::BatchRequireChallenge,
                         ControlId::BatchRangeRadio, ControlId::BatchFirstAddress, ControlId::BatchSaveCsv}) {
        EXPECT_FALSE(IsWindowEnabled(batch.Item(id))) << id;
    }
    // The window paints and moves meanwhile.
    int paints = 0;
    SetWindowSubclass(batch.Item(ControlId::BatchPreview), CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints));
    InvalidateRect(batch.Item(ControlId::BatchPreview), nullptr, TRUE);
    SetWindowPos(batch.dialog->Window(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpPending();
    RemoveWindowSubclass(batch.Item(ControlId::BatchPreview), CountPaints, 1);
    EXPECT_GT(paints, 0);
    RECT moved;
    GetWindowRect(batch.dialog->Window(), &moved);
    EXPECT_EQ(moved.left, 40);

    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return batch.dialog->Applied(); }));
    EXPECT_EQ(batch.Cells(Status), (Texts{L"verified", L"verified", L"verified"}));
    EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"3 verified");
    EXPECT_EQ(SendMessageW(batch.Item(ControlId::BatchProgress), PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(batch.Text(ControlId::BatchClose), L"Close");
    EXPECT_TRUE(IsWindowEnabled(batch.Item(ControlId::BatchSaveCsv)));
    std::vector<std::string> sent;
    for (const FakeLibrary::NetworkCall &call : batch.fake.networkCalls) {
        EXPECT_EQ(call.password, "s3cret");
        sent.push_back(FormatDottedAddress(call.ip));
    }
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, (std::vector<std::string>{"10.77.1.50", "10.77.1.51", "10.77.1.52"}));

    static std::wstring csvPath;
    csvPath = (std::filesystem::path(batch.pins.Folder()) / "outcomes.csv").wstring();
    const SavePathAsker previous =
        SetSavePathAsker([](HWND, const std::string &, const std::string &, const std::wstring &name) {
            EXPECT_EQ(name, L"outcomes.csv");
            return std::optional<std::wstring>(csvPath);
        });
    batch.Click(ControlId::BatchSaveCsv);
    SetSavePathAsker(previous);
    std::stringstream csv;
    csv << std::ifstream(std::filesystem::path(csvPath), std::ios::binary).rdbuf();
    EXPECT_EQ(csv.str().substr(0, csv.str().find('\n', csv.str().find('\n') + 1)),
              "mac,name,outcome,before,after,detail\n"
              "02:00:00:00:00:01,cam-1,verified,ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.1,"
              "ip 10.77.1.50 mask 255.255.255.0 gateway 10.77.1.1,");
}

TEST(BatchDialog, CancelStopsTheRunOnceTheDevicesInHandAreDone)
{
    // The run works on 16 devices at a time; the last four are never started.
    constexpr int kDevices = 20;
    constexpr int kInHand = 16;
    struct Case {
        const char *name;
        bool closes;
    };
    const Case cases[] = {{"the Cancel button", false}, {"Escape", true}, {"the close box", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Batch batch;
        batch.fake.devices = SubnetDevices(kDevices);
        std::atomic<int> inHand{0};
        Gate gate;
        batch.fake.onCommand = [&] {
            ++inHand;
            gate.Pass();
        };
        ASSERT_TRUE(batch.OpenOn(All(kDevices)));
        batch.Click(ControlId::BatchDhcpRadio);
        batch.Apply(L"");
        ASSERT_TRUE(PumpUntil([&] { return inHand == kInHand; }));
        if (c.name == std::string("the Cancel button")) {
            batch.Click(ControlId::BatchClose);
        } else if (c.name == std::string("Escape")) {
            PostKey(GetFocus(), VK_ESCAPE);
        } else {
            PostMessageW(batch.dialog->Window(), WM_CLOSE, 0, 0);
        }
        PumpPending();
        EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"Stopping once the devices in hand are done...");
        EXPECT_FALSE(IsWindowEnabled(batch.Item(ControlId::BatchClose)));
        EXPECT_NE(batch.dialog->Window(), nullptr);
        gate.Open();
        ASSERT_TRUE(PumpUntil([&] { return !batch.dialog->IsApplying(); }));
        PumpPending();
        EXPECT_EQ(batch.fake.dhcpCalls.size(), size_t(kInHand));
        // Every session the run opened is closed.
        EXPECT_EQ(batch.fake.closed.size(), size_t(batch.fake.opens));
        for (const KOVR_HANDLE session : batch.fake.closed) {
            EXPECT_FALSE(batch.fake.IsOpen(session));
        }
        EXPECT_EQ(batch.dialog->Window() == nullptr, c.closes);
        if (!c.closes) {
            EXPECT_EQ(batch.Text(ControlId::BatchOutcome), L"16 verified, 4 cancelled");
            EXPECT_EQ(batch.Cells(Status).back(), L"cancelled");
        }
    }
}

TEST(BatchDialog, AsksOnceBeforePlainPasswordsAndItsCancelSendsNothing)
{
    struct Case {
        const char *name;
        bool requireChallenge;
        bool answer;
        int questions;
        int sent;
        std::wstring outcome;
    };
    const Case cases[] = {
        {"Cancel", false, false, 1, 0, L"2 failed"},
        {"OK", false, true, 1, 2, L"2 verified"},
        {"a challenge required", true, true, 0, 0, L"2 failed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Batch batch;
        batch.fake.devices = SubnetDevices(2);
        batch.questions.Answer(c.answer);
        ASSERT_TRUE(batch.OpenOn(All(2)));
        batch.Click(ControlId::BatchDhcpRadio);
        if (c.requireChallenge) {
            batch.Click(ControlId::BatchRequireChallenge);
        }
        ASSERT_TRUE(batch.ApplyAndWait());
        const std::vector<std::string> &questions = batch.questions.Asked();
        ASSERT_EQ(questions.size(), size_t(c.questions));
        if (!questions.empty()) {
            EXPECT_NE(questions[0].find("\n\nSend the password anyway, to this device and to every other one in this "
                                        "run that offers no challenge?"),
                      std::string::npos)
                << questions[0];
        }
        EXPECT_EQ(batch.fake.CommandCount(), c.sent);
        EXPECT_EQ(batch.Text(ControlId::BatchOutcome), c.outcome);
    }
}

// A file that everyone may read, as Windows judges it.
void LetEveryoneRead(const std::wstring &path)
{
    BYTE world[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof world;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, world, &size));
    EXPLICIT_ACCESSW everyone = {};
    everyone.grfAccessPermissions = GENERIC_READ;
    everyone.grfAccessMode = GRANT_ACCESS;
    everyone.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    everyone.Trustee.ptstrName = reinterpret_cast<wchar_t *>(world);
    ACL *dacl = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &everyone, nullptr, &dacl), ERROR_SUCCESS);
    EXPECT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t *>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
              ERROR_SUCCESS);
    LocalFree(dacl);
}

// While it lives, runs `drive` once on the modal dialog with this caption
// when it shows.
class WhenDialogShows {
public:
    WhenDialogShows(const wchar_t *caption, std::function<void(HWND)> drive)
    {
        s_caption = caption;
        s_drive = std::move(drive);
        s_driven = 0;
        timer_ = SetTimer(nullptr, 0, 20, Look);
    }
    ~WhenDialogShows() { KillTimer(nullptr, timer_); }
    WhenDialogShows(const WhenDialogShows &) = delete;
    WhenDialogShows &operator=(const WhenDialogShows &) = delete;
    int Driven() const { return s_driven; }

private:
    static void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD)
    {
        const HWND dialog = FindWindowW(L"#32770", s_caption);
        if (dialog && s_driven++ == 0) {
            s_drive(dialog);
        }
    }
    static inline const wchar_t *s_caption;
    static inline std::function<void(HWND)> s_drive;
    static inline int s_driven;
    UINT_PTR timer_;
};

TEST(MainWindow, OpensTheBatchOnTheSelectedRowsOrAPlanAndRefusesAPlanThatCantBeUsed)
{
    struct Case {
        const char *name;
        std::string plan; // none: Ctrl+Shift+C on rows 0 and 2
        bool othersMayRead;
        std::string refusal; // the message's lines after the first; none: applied
        std::vector<int> configured;
    };
    const Case cases[] = {
        {"selected rows", "", false, "", {1, 3}},
        {"a plan", "mac,dhcp\n02:00:00:00:00:02,on\n", false, "", {2}},
        {"a plan too big", std::string(17 * 1024 * 1024, '#'), false, "the file is larger than 16 MiB\n", {}},
        {"an invalid plan",
         "mac,ip,mask,gateway\n02:00:00:00:00:01,10.77.1.40,255.0.255.0,10.77.1.1\n",
         false,
         "line 2: mask '255.0.255.0' is not a subnet mask such as 255.255.255.0\n",
         {}},
        {"a plan that others may read",
         "mac,dhcp,password\n02:00:00:00:00:01,on,pw\n",
         true,
         std::string("holds passwords but ") + kovr::common::kOthersMayReadAdvice + "\n",
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeLibrary fake;
        fake.devices = SubnetDevices(3);
        TempPins pins;
        LocatorWindow window(fake.Seam(), pins.Pins());
        window.SetSubnetSource([] { return kLabSubnets; });
        ASSERT_TRUE(window.Open(nullptr));
        ASSERT_TRUE(PumpUntil([&] { return fake.searches == 1 && !window.IsSearching(); }));
        static std::wstring planPath;
        planPath = c.plan.empty() ? L"" : WriteFile(pins.Folder(), "plan.csv", c.plan);
        if (c.othersMayRead) {
            LetEveryoneRead(planPath);
        }
        const OpenPathAsker previous =
            SetOpenPathAsker([](HWND, const std::string &, const std::string &) { return std::optional(planPath); });
        MessageCapture messages;
        Questions questions;
        WhenDialogShows driver(c.plan.empty() ? L"Configure Selected Devices" : L"Apply Plan", [](HWND dialog) {
            SendDlgItemMessageW(dialog, ControlId::BatchDhcpRadio, BM_CLICK, 0, 0);
            SendMessageW(dialog, WM_COMMAND, ControlId::BatchApply, 0);
            PumpUntil([&] { return WindowText(GetDlgItem(dialog, ControlId::BatchClose)) == L"Close"; });
            SendMessageW(dialog, WM_COMMAND, ControlId::BatchClose, 0);
        });
        if (c.plan.empty()) {
            SelectRows(window.Control(ControlId::DeviceList), {0, 2});
            PostKey(window.Control(ControlId::DeviceList), 'C', true, true);
        } else {
            PostKey(window.Control(ControlId::DeviceList), 'O', true);
        }
        SetOpenPathAsker(previous);
        if (c.refusal.empty()) {
            EXPECT_EQ(driver.Driven(), 1);
            EXPECT_TRUE(messages.Texts().empty());
            // The list shows what the devices hold now.
            EXPECT_TRUE(PumpUntil([&] { return fake.searches == 2 && !window.IsSearching(); }));
        } else {
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_EQ(messages.Texts()[0],
                      "The plan " + Narrow(planPath) + " can't be used, and nothing was sent:\n" + c.refusal);
            EXPECT_EQ(driver.Driven(), 0);
        }
        std::vector<int> configured;
        for (const FakeLibrary::DhcpCall &call : fake.dhcpCalls) {
            configured.push_back(call.mac[5]);
        }
        std::sort(configured.begin(), configured.end());
        EXPECT_EQ(configured, c.configured);
        if (!c.refusal.empty()) {
            EXPECT_EQ(fake.opens, 1); // the window's own
        }
    }
}

} // namespace
