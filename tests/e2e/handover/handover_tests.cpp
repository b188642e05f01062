// Folders handed over to Vantrel from outside: a second start with a path
// while Vantrel runs, a first start with a path, the tray icon's double-click
// offering the last hand-over again. The real Vantrel.exe, its real folder
// editor, the registry as it is left.
#include <gtest/gtest.h>

#include <map>

#include "app/settings.h"
#include "shell/iconsources.h"
#include "support/session.h"
#include "framework/registry.h"
#include "framework/text.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const UINT kTrayCallback = WM_USER + 100;
const UINT kTrayIconId = 128;
const char* kEntriesKey = "Software\\Quorvane.\\Vantrel\\Entries";
const char* kAppKey = "Software\\Quorvane.\\Vantrel";

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Visible folder editors of a process.
std::vector<HWND> Editors(DWORD pid) {
    std::vector<HWND> found;
    for (HWND w : test::TopWindowsOfProcess(pid))
        if (IsWindowVisible(w) && test::ClassNameOf(w) == "#32770" && test::TextOf(w) == "Add/Edit")
            found.push_back(w);
    return found;
}

HWND WaitForEditor(DWORD pid, DWORD timeoutMs = 15000) {
    HWND editor = nullptr;
    test::WaitUntil(
        [&] {
            auto e = Editors(pid);
            editor = e.empty() ? nullptr : e.front();
            return editor != nullptr;
        },
        timeoutMs);
    return editor;
}

// A control's text in UTF-16, as the control holds it, whatever the code
// pages of the two programs.
std::wstring WideText(HWND dialog, int id) {
    wchar_t buf[1024] = {};
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Every value under a key, as raw type and bytes.
std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> Values(const char* key) {
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256, type = 0, size = 4096;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        data.resize(size);
        values[name] = {type, data};
    }
    RegCloseKey(k);
    return values;
}

std::wstring WideString(const char* key, const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, vt::ToWide(key).c_str(), name, RRF_RT_REG_SZ, nullptr, buf,
                     &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

bool HasValue(const char* key, const char* name) {
    return RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

DWORD Dword(const char* key, const char* name) {
    DWORD v = 0xDEADBEEF, size = sizeof v;
    RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &v, &size);
    return v;
}

// A start of Vantrel.exe with a command line in UTF-16, as Explorer starts
// it; waits until that process ends when it forwards to a running one.
bool StartWide(const std::wstring& args, test::ChildProcess* keep = nullptr) {
    const std::wstring exe = vt::ToWide(test::BinPath("Vantrel.exe"));
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const std::wstring dir = vt::ToWide(test::BinDir());
    if (!test::CreateProcessRetryingStartupFailure([&] {
            return CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  dir.c_str(), &si, &pi);
        }))
        return false;
    CloseHandle(pi.hThread);
    const bool ended = keep || WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    return ended;
}

class Handover : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ComputeIconReferenceValues(test::BinDir());
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        gamma_ = dir_.MakeDir("Gamma Folder");
        delta_ = dir_.MakeDir("Delta");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    // A click on a button of the editor, as the mouse would give it.
    static void Press(HWND editor, int id) { PostMessageA(GetDlgItem(editor, id), BM_CLICK, 0, 0); }
    bool EditorGone(HWND editor) {
        return test::WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); });
    }
    // The tray icon's double-click notification, as the shell sends it.
    void DoubleClickTray() {
        PostMessageA(run_.Window(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK);
    }
    // A save writes the options last: "Action", changed behind Vantrel's
    // back before OK, is 0 again once the whole save is done.
    static void MarkUnsaved() {
        vt::CRegProfile("Quorvane.", "Vantrel").WriteProfileInt("", "Action", 7);
    }
    static bool SavedFully() {
        return test::WaitUntil([] { return Dword(kAppKey, "Action") == 0; });
    }
    // A round trip through Vantrel's queue: the menu pops and goes.
    void RoundTrip() {
        ASSERT_TRUE(run_.Forward("/pop"));
        ASSERT_TRUE(run_.WaitForMenu());
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(run_.WaitForMenuGone());
    }

    test::ScratchDir dir_{"handover"};
    std::string alpha_, beta_, gamma_, delta_;
    VantrelRun run_;
};

TEST_F(Handover, SecondStartOffersThePathAndOkAppendsItAsTheLastFolder) {
    // Two stale positions whose titles are missing: dropped at load, so the
    // registry holds more positions than the list.
    run_.editProfile = [] {
        vt::CRegKey k;
        ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, kEntriesKey));
        k.SetDword("Count", 4);
        for (int i : {2, 3}) {
            const std::string n = std::to_string(i);
            k.SetString(("Path" + n).c_str(), "C:\\stale" + n);
            k.SetString(("Title" + n).c_str(), "");
            k.SetString(("IconFile" + n).c_str(), "stale.ico");
            k.SetDword(("IconIndex" + n).c_str(), 5);
        }
    };
    ASSERT_TRUE(run_.Start());
    ASSERT_TRUE(run_.Forward("\"" + gamma_ + "\""));
    HWND editor = WaitForEditor(run_.Pid());
    ASSERT_TRUE(editor);
    // Path and title both the path; the dialog stands on its own, in front.
    EXPECT_EQ(WideText(editor, 1016), vt::ToWide(gamma_));
    EXPECT_EQ(WideText(editor, 1018), vt::ToWide(gamma_));
    EXPECT_TRUE(GetWindowLongPtrA(editor, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == editor; }))
        << Describe(GetForegroundWindow());

    MarkUnsaved();
    Press(editor, IDOK);
    ASSERT_TRUE(EditorGone(editor));
    // The whole list, compacted: the new folder at position 2, the stale
    // tail gone, the count right. The options are written last.
    ASSERT_TRUE(SavedFully());
    EXPECT_EQ(Dword(kEntriesKey, "Count"), 3u);
    EXPECT_EQ(WideString(kEntriesKey, L"Path0"), vt::ToWide(alpha_));
    EXPECT_EQ(WideString(kEntriesKey, L"Path1"), vt::ToWide(beta_));
    EXPECT_EQ(WideString(kEntriesKey, L"Path2"), vt::ToWide(gamma_));
    EXPECT_EQ(WideString(kEntriesKey, L"Title2"), vt::ToWide(gamma_));
    EXPECT_EQ(WideString(kEntriesKey, L"IconFile2"), vt::ToWide(vt::GetDefaultIconFile()));
    EXPECT_EQ(Dword(kEntriesKey, "IconIndex2"), 0xFFFFFFFFu);
    for (const char* name : {"Path3", "Title3", "IconFile3", "IconIndex3"})
        EXPECT_FALSE(HasValue(kEntriesKey, name)) << name;
    // The hand-over value stays.
    EXPECT_EQ(WideString(kAppKey, L"Dir To Add"), vt::ToWide(gamma_));

    // The menu now ends with the new folder: its third item drives the
    // dialog in front there.
    navtest::Fixture dialog;
    ASSERT_TRUE(dialog.Start("open-explorer", "C:\\windows", "#32770"));
    ASSERT_TRUE(BringToFront(dialog.Window()));
    MoveMouse(CentreOf(dialog.Window()));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_DOWN);
    PickSecondItemAndExpectDialogIn(run_, dialog.Window(), gamma_);
}

TEST_F(Handover, CancelChangesNothingAndTheTrayOffersTheLastPathAgain) {
    run_.settings.showTray = true;  // the double-click needs the tray icon
    ASSERT_TRUE(run_.Start());
    const auto entriesBefore = Values(kEntriesKey);
    ASSERT_EQ(entriesBefore.size(), 9u);  // Count and two entries

    ASSERT_TRUE(run_.Forward("\"" + gamma_ + "\""));
    HWND editor = WaitForEditor(run_.Pid());
    ASSERT_TRUE(editor);
    // A second hand-over while the editor is open opens no second editor:
    // the open one comes to the front, and its path stays.
    ASSERT_TRUE(run_.Forward("\"" + delta_ + "\""));
    // The second start posted its request before it ended, and Vantrel's
    // thread takes posted messages before input: once the editor (of the
    // same thread) has taken keys, a second editor would be open.
    ASSERT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == editor; }));
    ASSERT_TRUE(DialogTookInput(editor));
    EXPECT_EQ(Editors(run_.Pid()).size(), 1u);
    EXPECT_EQ(WideText(editor, 1016), vt::ToWide(gamma_));
    EXPECT_EQ(WideString(kAppKey, L"Dir To Add"), vt::ToWide(delta_));

    Press(editor, IDCANCEL);
    ASSERT_TRUE(EditorGone(editor));
    RoundTrip();
    EXPECT_EQ(Values(kEntriesKey), entriesBefore);

    // The double-click offers the last hand-over, again and again.
    for (int round = 0; round < 2; ++round) {
        DoubleClickTray();
        editor = WaitForEditor(run_.Pid());
        ASSERT_TRUE(editor) << round;
        EXPECT_EQ(WideText(editor, 1016), vt::ToWide(delta_));
        Press(editor, IDCANCEL);
        ASSERT_TRUE(EditorGone(editor));
    }
    EXPECT_EQ(Values(kEntriesKey), entriesBefore);
    EXPECT_EQ(WideString(kAppKey, L"Dir To Add"), vt::ToWide(delta_));
}

TEST_F(Handover, TrayDoubleClickWithoutAHandOverDoesNothing) {
    run_.settings.showTray = true;
    ASSERT_TRUE(run_.Start());
    ASSERT_FALSE(HasValue(kAppKey, "Dir To Add"));
    DoubleClickTray();
    // Had the command opened anything, it would be there after a round trip.
    RoundTrip();
    EXPECT_TRUE(Editors(run_.Pid()).empty());
}

TEST_F(Handover, FirstStartWithAPathOpensTheEditorAndLeavesDirToAddAlone) {
    run_.editProfile = [] {
        vt::CRegProfile("Quorvane.", "Vantrel")
            .WriteProfileString("", "Dir To Add", "C:\\elsewhere");
    };
    ASSERT_TRUE(run_.Launch("\"" + gamma_ + "\""));
    ASSERT_TRUE(run_.WaitReady());
    HWND editor = WaitForEditor(run_.Pid());
    ASSERT_TRUE(editor);
    EXPECT_EQ(WideText(editor, 1016), vt::ToWide(gamma_));
    EXPECT_EQ(WideText(editor, 1018), vt::ToWide(gamma_));
    // A title of the user's own.
    SendMessageA(GetDlgItem(editor, 1018), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Gamma"));
    MarkUnsaved();
    Press(editor, IDOK);
    ASSERT_TRUE(EditorGone(editor));
    ASSERT_TRUE(SavedFully());
    EXPECT_EQ(Dword(kEntriesKey, "Count"), 3u);
    EXPECT_EQ(WideString(kEntriesKey, L"Path2"), vt::ToWide(gamma_));
    EXPECT_EQ(WideString(kEntriesKey, L"Title2"), L"Gamma");
    EXPECT_EQ(WideString(kAppKey, L"Dir To Add"), L"C:\\elsewhere");
}

TEST_F(Handover, FolderNamesInCyrillicAndCjkArriveWhole) {
    const std::wstring name = L"\u041f\u0440\u043e\u0435\u043a\u0442\u044b \u65e5\u672c\u8a9e";
    const std::wstring wide = vt::ToWide(dir_.Path()) + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    ASSERT_TRUE(run_.Start());
    ASSERT_TRUE(StartWide(L"\"" + wide + L"\""));
    HWND editor = WaitForEditor(run_.Pid());
    ASSERT_TRUE(editor);
    EXPECT_EQ(WideText(editor, 1016), wide);
    EXPECT_EQ(WideText(editor, 1018), wide);
    // Format gives the folder's own name.
    PostMessageA(GetDlgItem(editor, 1033), BM_CLICK, 0, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return WideText(editor, 1018) == name; }));
    MarkUnsaved();
    Press(editor, IDOK);
    ASSERT_TRUE(EditorGone(editor));
    ASSERT_TRUE(SavedFully());
    EXPECT_EQ(Dword(kEntriesKey, "Count"), 3u);
    EXPECT_EQ(WideString(kEntriesKey, L"Path2"), wide);
    EXPECT_EQ(WideString(kEntriesKey, L"Title2"), name);
    EXPECT_EQ(WideString(kAppKey, L"Dir To Add"), wide);
    RemoveDirectoryW(wide.c_str());
}

}  // namespace
