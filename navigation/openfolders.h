// The folders the open Explorer windows show, for the top of the folder menu
// and for following Explorer with a file dialog. Each window is read through
// the shell's list of its windows (one entry per Windows 11 tab) where it is
// in that list, else from its classic address bar (Wine's explorer.exe). A
// window that answers neither within a short bound is skipped: the menu never
// waits for a busy Explorer.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "navigation/shellwindows.h"

namespace vt::nav {

// The most open folders the menu lists.
inline constexpr size_t kMostOpenFolders = 10;
// How long one Explorer window gets to tell its address bar's text.
inline constexpr UINT kOpenFolderAnswerMs = 120;
// How long the shell's list gets, all entries together; and how long the
// reading of one showing may take in all, past which the windows not read
// yet are skipped.
inline constexpr DWORD kShellListAnswerMs = 150;
inline constexpr DWORD kOpenFoldersTotalMs = 400;

// A folder as one window (or tab) shows it; rank orders the sightings, lower
// first (the window's place in z-order, its active tab before the others).
struct SeenFolder {
    std::string path;
    int rank = 0;
};

// A path of the file system: "X:\..." or "\\server\share...". Not a parsing
// name ("::{GUID}"), a display name ("My Computer"), a URL or a relative path.
bool IsFileSystemFolderPath(const std::string& path);
// The path with "/" as "\" and without trailing separators, except a drive's
// root, which keeps its one ("C:\").
std::string NormaliseFolderPath(const std::string& path);
// The same folder, ignoring case (of every script, as the file system does).
bool SameFolder(const std::string& a, const std::string& b);

// The menu's list: file system folders only, each once (the first sighting in
// rank order wins; equal ranks keep their order), without ownFolder, at most
// most of them.
std::vector<std::string> ChooseOpenFolders(std::vector<SeenFolder> seen,
                                           const std::string& ownFolder,
                                           size_t most = kMostOpenFolders);

// Reads the open Explorer windows. Keeps which processes are Explorer's
// between showings (a module snapshot per process is the expensive part).
class COpenFolderReader {
public:
    // makeList: the shell's list, made on the reading thread; null: the
    // system's. isExplorer: whether a frame's process is Explorer; null: its
    // program is the Windows directory's explorer.exe.
    explicit COpenFolderReader(ShellWindowListFactory makeList = {},
                               std::function<bool(HWND)> isExplorer = {});
    COpenFolderReader(const COpenFolderReader&) = delete;
    COpenFolderReader& operator=(const COpenFolderReader&) = delete;

    // The folders shown now, most recently active window first, without the
    // folder target shows when target is an Explorer window. No Explorer
    // window: empty, and nothing is asked.
    std::vector<std::string> Read(HWND target);
    // The file system folder one Explorer window shows (its active tab), or
    // empty (not Explorer, a virtual folder, no answer in time).
    std::string FolderOf(HWND window);

private:
    struct Sighting {
        HWND window;
        HWND tab;  // the entry's view, null when unknown or read from the bar
        std::string path;
    };
    // The visible Explorer frames in z-order, front first.
    std::vector<HWND> ExplorerFrames();
    bool IsExplorerProcess(HWND window);
    // Every entry of the shell's list whose window is one of frames; the
    // frames it names are added to listed.
    std::vector<Sighting> ReadShellList(const std::vector<HWND>& frames, std::vector<HWND>& listed);
    // The classic address bar's text, within kOpenFolderAnswerMs; empty
    // when there is none or no answer came.
    std::string ReadAddressBar(HWND frame);
    // The frames whose bar was read at an earlier showing, asked all at once
    // whether their drop-down still holds the item the folder came from;
    // within kOpenFolderAnswerMs in all. Each frame that still shows its
    // folder is added to sightings; each that was not read before or whose
    // answers changed goes into readAgain; one that did not answer is left.
    void CheckKnownBars(const std::vector<HWND>& frames, std::vector<Sighting>& sightings,
                        std::vector<HWND>& readAgain);

    ShellWindowListFactory makeList_;
    std::function<bool(HWND)> isExplorer_;
    // What is known of each Explorer frame between showings, so that a
    // window that still shows what it showed costs a few messages: whether
    // its process is Explorer's (a module snapshot is the expensive part),
    // its bar's windows, and the item its bar's folder was read from.
    struct KnownFrame {
        DWORD pid = 0;
        bool explorer = false;
        HWND edit = nullptr;   // the classic bar's edit, null when none
        HWND combo = nullptr;  // its ComboBoxEx32, null when none
        LRESULT count = 0;     // the drop-down's items then
        LRESULT item = -1;     // the drop-down item the path came from
        LRESULT data = 0;      // that item's data (its item id list's address)
        std::vector<unsigned char> pidl;
        std::string path;
        std::shared_ptr<void> process;  // opened for reading, closed with the entry
    };
    KnownFrame& Known(HWND frame);
    std::map<HWND, KnownFrame> known_;
    // The system's list cannot count its windows (Wine): not asked again.
    bool listUnavailable_ = false;
    // A reading of the list that missed its showing's bound, until it ends;
    // its job (a ShellListJob) is shared with its thread.
    UniqueKernelHandle lateThread_;
    std::shared_ptr<void> lateJob_;
};

}  // namespace vt::nav
