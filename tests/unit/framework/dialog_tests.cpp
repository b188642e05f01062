// Dialogs of the framework: data exchange in both directions, a refused
// value, owner-draw requests reaching the control's object, exceptions kept
// from the system, and windows on threads that end.
#include <gtest/gtest.h>

#include <malloc.h>

#include <stdexcept>
#include <thread>

#include "framework/combobox.h"
#include "framework/ddx.h"
#include "framework/dialog.h"
#include "framework/filedialog.h"
#include "framework/menu.h"
#include "support/testsupport.h"
#include "unit/dialogs/dialogdriver.h"

using namespace vt;
using namespace dlgtest;

namespace {

enum { kText = 10, kNumber = 11, kCheck = 12, kRadio = 13, kThree = 15, kCombo = 16, kThrow = 17 };

class CountingCombo : public CComboBox {
public:
    void DrawItem(DRAWITEMSTRUCT*) override { InterlockedIncrement(&draws); }
    volatile LONG draws = 0;
};

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(200) {
        Table().OnMessage(WM_MEASUREITEM, [this](WPARAM, LPARAM) -> LRESULT {
            // The combo box is measured while the dialog is being created.
            if (!initialised) measuredBeforeInit = true;
            return FALSE;
        });
        Table().OnCommand(kThrow,
                          [](UINT) { throw std::runtime_error("must not reach the system"); });
    }
    std::string text = "hello";
    int number = 42;
    int check = 2;
    int radio = 1;
    int combo = 2;
    bool initialised = false;
    bool measuredBeforeInit = false;
    CountingCombo comboBox;

protected:
    BOOL OnInitDialog() override {
        initialised = true;
        HWND c = GetDlgItem(kCombo).hwnd_;
        for (const char* s : {"a", "b", "c"})
            ::SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Control(dx, kCombo, comboBox);
        DDX_Text(dx, kText, text);
        DDX_Text(dx, kNumber, number);
        DDX_Check(dx, kCheck, check);
        DDX_Radio(dx, kRadio, radio);
        DDX_CBIndex(dx, kCombo, combo);
    }
};

int Checked(HWND d, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(d, id), BM_GETCHECK, 0, 0));
}

TEST(Dialog, ExchangesValuesWithItsControlsBothWays) {
    ExchangeDlg dlg;
    DialogThread run([&] { return dlg.DoModal(); });
    HWND d = run.WaitForDialog("Exchange");
    ASSERT_TRUE(d);
    EXPECT_TRUE(dlg.measuredBeforeInit);
    EXPECT_EQ(TextOf(d, kText), "hello");
    EXPECT_EQ(TextOf(d, kNumber), "42");
    EXPECT_EQ(Checked(d, kCheck), BST_INDETERMINATE);
    EXPECT_EQ(Checked(d, kRadio), BST_UNCHECKED);
    EXPECT_EQ(Checked(d, kRadio + 1), BST_CHECKED);
    EXPECT_EQ(SendMessageA(GetDlgItem(d, kCombo), CB_GETCURSEL, 0, 0), 2);
    // The owner-drawn box draws through its object.
    EXPECT_TRUE(test::WaitUntil([&] { return dlg.comboBox.draws > 0; }));

    SetText(d, kText, "changed");
    SetText(d, kNumber, " -17 ");
    SendMessageA(GetDlgItem(d, kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(d, kThree), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(d, kCombo), CB_SETCURSEL, 0, 0);
    Click(d, IDOK);
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_EQ(run.Result(), IDOK);
    EXPECT_EQ(dlg.text, "changed");
    EXPECT_EQ(dlg.number, -17);
    EXPECT_EQ(dlg.check, 0);
    EXPECT_EQ(dlg.radio, 2);
    EXPECT_EQ(dlg.combo, 0);
}

TEST(Dialog, ARefusedNumberKeepsTheDialogOpenWithTheFocusOnIt) {
    ExchangeDlg dlg;
    DialogThread run([&] { return dlg.DoModal(); });
    HWND d = run.WaitForDialog("Exchange");
    ASSERT_TRUE(d);
    for (const char* bad : {"12a", "", "99999999999"}) {
        SetText(d, kNumber, bad);
        SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);  // returns once handled
        EXPECT_FALSE(run.Ended()) << bad;
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        ASSERT_TRUE(GetGUIThreadInfo(run.Id(), &gui));
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(d, kNumber)) << bad;
        EXPECT_EQ(dlg.number, 42);
    }
    SetText(d, kNumber, "7");
    Click(d, IDOK);
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_EQ(dlg.number, 7);
}

TEST(Dialog, AnExceptionInAHandlerStaysInTheProgram) {
    ExchangeDlg dlg;
    DialogThread run([&] { return dlg.DoModal(); });
    HWND d = run.WaitForDialog("Exchange");
    ASSERT_TRUE(d);
    SendMessageA(GetDlgItem(d, kThrow), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindow(d));
    Click(d, IDCANCEL);
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_EQ(run.Result(), IDCANCEL);
    EXPECT_EQ(dlg.text, "hello");  // Cancel takes nothing from the controls
}

TEST(Dialog, AMissingTemplateMakesNoDialogAndCapturesNoOtherWindow) {
    CDialog dlg(4711);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.hwnd_, nullptr);
    // The next window of the thread is not taken for the dialog.
    HWND w = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_EQ(CWindowImpl::FromHandlePermanent(w), nullptr);
    EXPECT_EQ(dlg.hwnd_, nullptr);
    DestroyWindow(w);
}

// Each thread attaches enough windows and menus to make its maps grow, lets
// them all go, and ends.
void WindowsOnThreadsThatEnd() {
    for (int round = 0; round < 8; ++round) {
        std::thread t([] {
            std::vector<std::unique_ptr<CWindowImpl>> windows;
            std::vector<std::unique_ptr<CMenu>> menus;
            for (int i = 0; i < 40; ++i) {
                windows.push_back(std::make_unique<CWindowImpl>());
                windows.back()->CreateEx(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr);
                menus.push_back(std::make_unique<CMenu>());
                menus.back()->CreatePopupMenu();
            }
        });
        t.join();
        std::vector<std::string> churn(200, std::string(100, 'x'));
        ASSERT_EQ(_heapchk(), _HEAPOK) << round;
    }
}

LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS*) { ExitProcess(3); }

// Run again in a child process with Wine's heap checking, which fills freed
// memory, so that a use after free at a thread's end shows as a crash
// instead of lurking.
TEST(Threads, WindowsAndMenusOnThreadsThatEndLeaveTheHeapSound) {
    const char* kChild = "VT_THREADS_TEST_CHILD";
    if (GetEnvironmentVariableA(kChild, nullptr, 0)) {
        SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
        SetUnhandledExceptionFilter(ExitOnCrash);
        WindowsOnThreadsThatEnd();
        return;
    }
    char saved[256] = {};
    const DWORD had = GetEnvironmentVariableA("WINEDEBUG", saved, sizeof saved);
    SetEnvironmentVariableA("WINEDEBUG", "-all,warn+heap");
    SetEnvironmentVariableA(kChild, "1");
    test::ChildProcess child;
    const bool started =
        child.Start(test::BinPath("framework_tests.exe"),
                    "--gtest_filter=Threads.WindowsAndMenusOnThreadsThatEndLeaveTheHeapSound");
    SetEnvironmentVariableA(kChild, nullptr);
    SetEnvironmentVariableA("WINEDEBUG", had && had < sizeof saved ? saved : nullptr);
    ASSERT_TRUE(started);
    ASSERT_TRUE(child.WaitForExit(60000));
    EXPECT_EQ(child.ExitCode(), 0u);
}

TEST(FileDialog, FiltersBecomeTheSystemsZeroSeparatedList) {
    using namespace std::string_literals;
    EXPECT_EQ(CFileDialog::SystemFilter("Icons (*.ico)|*.ico|All Files (*.*)|*.*||"),
              "Icons (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s);
    EXPECT_EQ(CFileDialog::SystemFilter("A|*.a"), "A\0*.a\0\0"s);
    EXPECT_EQ(CFileDialog::SystemFilter(nullptr), "\0\0"s);
    CFileDialog open(true, ".ico", "start.ico", OFN_HIDEREADONLY, "A|*.a||", nullptr);
    EXPECT_STREQ(open.ofn_.lpstrDefExt, "ico");
    EXPECT_EQ(open.GetPathName(), "start.ico");
    EXPECT_TRUE(open.ofn_.Flags & OFN_EXPLORER);
    EXPECT_GE(open.ofn_.nMaxFile, 780u);
}

}  // namespace
