#include "navigation/openfolders.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "framework/handles.h"
#include "framework/text.h"
#include "framework/wnd.h"
#include "navigation/explorer.h"
#include "navigation/explorerbar.h"
#include "navigation/recognise.h"
#include "navigation/sendwindow.h"
#include "navigation/shellwindowscom.h"

namespace vt::nav {

namespace {

// More entries than any desktop has windows and tabs.
constexpr int kMostListEntries = 256;
// Bounds of what is read of an address bar's drop-down: items, and the
// levels and bytes of one item id list.
constexpr LRESULT kMostAddressItems = 64;
constexpr int kMostItemIdLevels = 64;
constexpr size_t kMostItemIdBytes = 8192;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One read of the shell's list, shared by the thread that makes it and the
// showing that waits for it; whichever lets go last frees it.
struct ShellListJob {
    ShellWindowListFactory makeList;
    std::vector<HWND> frames;
    struct Entry {
        HWND top;
        HWND tab;
        std::string path;
    };
    std::vector<Entry> entries;  // written by the thread only until it ends
    bool uncountable = false;    // the list opened but could not count
};

void RunShellList(ShellListJob& job) {
    std::unique_ptr<CShellWindowList> list = job.makeList ? job.makeList() : nullptr;
    if (!list || !list->Open()) return;
    const int listed = list->Count();
    if (listed < 0) job.uncountable = true;
    const int count = std::min(listed, kMostListEntries);
    for (int i = 0; i < count; ++i) {
        const HWND top = list->TopWindow(i);
        if (std::find(job.frames.begin(), job.frames.end(), top) == job.frames.end()) continue;
        job.entries.push_back({top, list->TabWindow(i), list->FolderPath(i)});
    }
}

DWORD WINAPI ShellListThread(void* param) {
    std::unique_ptr<std::shared_ptr<ShellListJob>> holder(
        static_cast<std::shared_ptr<ShellListJob>*>(param));
    const std::shared_ptr<ShellListJob> job = *holder;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        RunShellList(*job);
    } catch (...) {
        job->entries.clear();  // a list that threw names nothing
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

// The visible top-level windows of one class, front first. The system
// compares the class: asking each window for its own costs a round trip per
// window of another process, which every showing paid even with no Explorer
// open.
void CollectFramesOfClass(const char* cls, std::vector<HWND>& into) {
    HWND w = nullptr;
    for (int n = 0; n < kMostListEntries && (w = FindWindowExA(nullptr, w, cls, nullptr)); ++n)
        if (IsWindowVisible(w)) into.push_back(w);
}

BOOL CALLBACK ListTopLevel(HWND w, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
    return TRUE;
}

// What is left of the time, at least nothing.
DWORD Left(DWORD start, DWORD budget) {
    const DWORD spent = GetTickCount() - start;
    return spent >= budget ? 0 : budget - spent;
}

}  // namespace

bool IsFileSystemFolderPath(const std::string& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return true;
    // "\\server\share": both names present. "\\?\" and "\\.\" are device
    // paths, not folders a dialog can show.
    if (path.size() < 5 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    if (path[2] == '?' || path[2] == '.') return false;
    const size_t server = path.find_first_of("\\/", 2);
    return server != std::string::npos && server > 2 && server + 1 < path.size() &&
           !IsSeparator(path[server + 1]);
}

std::string NormaliseFolderPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    if (p.size() == 2 && p[1] == ':') p += '\\';  // "C:" alone names a drive's current folder
    return p;
}

bool SameFolder(const std::string& a, const std::string& b) {
    const std::wstring wa = ToWide(NormaliseFolderPath(a)), wb = ToWide(NormaliseFolderPath(b));
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::string> ChooseOpenFolders(std::vector<SeenFolder> seen,
                                           const std::string& ownFolder, size_t most) {
    std::stable_sort(seen.begin(), seen.end(),
                     [](const SeenFolder& a, const SeenFolder& b) { return a.rank < b.rank; });
    const bool haveOwn = IsFileSystemFolderPath(ownFolder);
    std::vector<std::string> chosen;
    for (const SeenFolder& s : seen) {
        if (chosen.size() >= most) break;
        if (!IsFileSystemFolderPath(s.path)) continue;
        if (haveOwn && SameFolder(s.path, ownFolder)) continue;
        const std::string path = NormaliseFolderPath(s.path);
        if (std::any_of(chosen.begin(), chosen.end(),
                        [&](const std::string& c) { return SameFolder(c, path); }))
            continue;
        chosen.push_back(path);
    }
    return chosen;
}

COpenFolderReader::COpenFolderReader(ShellWindowListFactory makeList,
                                     std::function<bool(HWND)> isExplorer)
    : makeList_(makeList ? std::move(makeList) : MakeSystemShellWindowList),
      isExplorer_(std::move(isExplorer)) {}

COpenFolderReader::KnownFrame& COpenFolderReader::Known(HWND frame) {
    DWORD pid = 0;
    GetWindowThreadProcessId(frame, &pid);
    auto it = known_.find(frame);
    if (it != known_.end() && it->second.pid == pid) return it->second;
    // Windows that are gone are forgotten once the cache grows past any desktop's.
    if (known_.size() > 64)
        for (auto k = known_.begin(); k != known_.end();)
            k = IsWindow(k->first) ? std::next(k) : known_.erase(k);
    KnownFrame& k = known_[frame];
    k = KnownFrame();
    k.pid = pid;
    k.explorer = pid && (isExplorer_ ? isExplorer_(frame)
                                     : IsWindowOfProgram(GetExplorerExePath(), CWnd(frame)));
    return k;
}

bool COpenFolderReader::IsExplorerProcess(HWND window) { return Known(window).explorer; }

std::vector<HWND> COpenFolderReader::ExplorerFrames() {
    std::vector<HWND> frames;
    CollectFramesOfClass(kExplorerFrameClass, frames);
    const size_t newer = frames.size();
    CollectFramesOfClass(kExplorerFrameClassOlder, frames);
    if (newer > 0 && frames.size() > newer) {
        // Frames of both classes: back into one z-order, front first.
        std::vector<HWND> order;
        EnumWindows(ListTopLevel, reinterpret_cast<LPARAM>(&order));
        std::vector<HWND> ordered;
        for (HWND w : order)
            if (std::find(frames.begin(), frames.end(), w) != frames.end()) ordered.push_back(w);
        frames.swap(ordered);
    }
    frames.erase(std::remove_if(frames.begin(), frames.end(),
                                [this](HWND w) { return !IsExplorerProcess(w); }),
                 frames.end());
    return frames;
}

std::vector<COpenFolderReader::Sighting> COpenFolderReader::ReadShellList(
    const std::vector<HWND>& frames, std::vector<HWND>& listed) {
    if (listUnavailable_) return {};
    if (lateThread_) {
        // The list of an earlier showing has not answered yet: this one goes
        // by the bars without waiting, and no second reading piles up.
        if (WaitForSingleObject(lateThread_.Get(), 0) != WAIT_OBJECT_0) return {};
        listUnavailable_ = static_cast<const ShellListJob*>(lateJob_.get())->uncountable;
        lateThread_.Reset();
        lateJob_.reset();
        if (listUnavailable_) return {};
    }
    auto job = std::make_shared<ShellListJob>();
    job->makeList = makeList_;
    job->frames = frames;
    auto* handOver = new std::shared_ptr<ShellListJob>(job);
    UniqueKernelHandle thread(CreateThread(nullptr, 0, ShellListThread, handOver, 0, nullptr));
    if (!thread) {
        delete handOver;
        return {};
    }
    // A late list is left to finish on its own; the windows go by their bars.
    if (WaitForSingleObject(thread.Get(), kShellListAnswerMs) != WAIT_OBJECT_0) {
        lateThread_ = std::move(thread);
        lateJob_ = job;
        return {};
    }
    listUnavailable_ = job->uncountable;
    std::vector<Sighting> seen;
    for (const ShellListJob::Entry& e : job->entries) {
        seen.push_back({e.top, e.tab, e.path});
        if (std::find(listed.begin(), listed.end(), e.top) == listed.end()) listed.push_back(e.top);
    }
    return seen;
}

namespace {

// An item id list copied out of another process: its items one by one (each
// starts with its size), so that no read crosses the list's end.
std::vector<unsigned char> ReadRemoteItemIdList(HANDLE process, ULONG_PTR at) {
    std::vector<unsigned char> bytes;
    if (!process || !at) return bytes;
    for (int level = 0; level < kMostItemIdLevels; ++level) {
        USHORT cb = 0;
        SIZE_T got = 0;
        const auto* where = reinterpret_cast<const void*>(at + bytes.size());
        if (!ReadProcessMemory(process, where, &cb, sizeof cb, &got) || got != sizeof cb) return {};
        if (cb == 0) {
            bytes.insert(bytes.end(), {0, 0});
            return bytes;
        }
        if (cb < sizeof cb || bytes.size() + cb > kMostItemIdBytes) return {};
        const size_t start = bytes.size();
        bytes.resize(start + cb);
        if (!ReadProcessMemory(process, where, bytes.data() + start, cb, &got) || got != cb)
            return {};
    }
    return {};
}

// Whether another process's memory at at holds exactly these bytes: one
// read, where reading the list item by item costs a round trip per item.
bool RemoteBytesEqual(HANDLE process, ULONG_PTR at, const std::vector<unsigned char>& expected) {
    if (!process || !at || expected.empty()) return false;
    std::vector<unsigned char> bytes(expected.size());
    SIZE_T got = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(at), bytes.data(), bytes.size(),
                             &got) &&
           got == bytes.size() && bytes == expected;
}

// The answers of one CheckKnownBars round. The round's number travels with
// each question, so that an answer that comes after its round (from a window
// that was busy) finds nothing to write to.
struct BarAnswers {
    unsigned round = 0;
    struct Answer {
        LRESULT count = 0, data = 0;
        int answered = 0;  // of the two questions
    };
    std::vector<Answer>* answers = nullptr;  // null between rounds
    int waiting = 0;
};
BarAnswers g_bars;  // read on one thread at a time (the GUI thread)
// A question's tag: the round above the window's index and the question's
// bit. The round gets what a 32-bit tag leaves.
constexpr int kAnswerIndexBits = 16;
constexpr int kRoundBits = 15;
static_assert(kRoundBits + kAnswerIndexBits + 1 <= static_cast<int>(sizeof(ULONG_PTR) * 8),
              "a question's tag fits in its ULONG_PTR");

void CALLBACK OnBarAnswer(HWND, UINT msg, ULONG_PTR tag, LRESULT result) {
    BarAnswers& b = g_bars;
    if (!b.answers || (tag >> (kAnswerIndexBits + 1)) != b.round) return;
    const size_t i = (tag >> 1) & ((1u << kAnswerIndexBits) - 1);
    if (i >= b.answers->size()) return;
    BarAnswers::Answer& a = (*b.answers)[i];
    (msg == CB_GETCOUNT ? a.count : a.data) = result;
    ++a.answered;
    --b.waiting;
}

int LevelsOf(const std::vector<unsigned char>& pidl) {
    int levels = 0;
    for (size_t at = 0; at + 2 <= pidl.size();) {
        const USHORT cb = static_cast<USHORT>(pidl[at] | (pidl[at + 1] << 8));
        if (!cb) break;
        ++levels;
        at += cb;
    }
    return levels;
}

// The budget's end as a time-out from now, at least 1 ms while any is left.
UINT Until(DWORD end) {
    const DWORD now = GetTickCount();
    return static_cast<int>(end - now) > 0 ? static_cast<UINT>(end - now) : 0;
}

}  // namespace

std::string COpenFolderReader::ReadAddressBar(HWND frame) {
    const DWORD end = GetTickCount() + kOpenFolderAnswerMs;
    KnownFrame& known = Known(frame);
    if (!known.edit || !IsWindow(known.edit) || GetAncestor(known.edit, GA_ROOT) != frame) {
        const DWORD pid = known.pid;
        const bool explorer = known.explorer;
        std::shared_ptr<void> process = known.process;
        known = KnownFrame();
        known.pid = pid;
        known.explorer = explorer;
        known.process = process;
        DescendantClasses tree{CWnd(frame)};
        const AddressBar bar = FindAddressBar(tree);
        // Only the classic bar holds its folder in windows of its own; the
        // others show it as a breadcrumb or in XAML, and a window with one of
        // those that is not in the shell's list is left out.
        if (bar.kind != AddressBarKind::Classic || !bar.edit) return {};
        known.edit = bar.edit.GetSafeHwnd();
        const HWND combo = GetParent(GetParent(known.edit));
        if (combo && ClassNameMatches(CWnd(combo).GetClassName(), "ComboBoxEx32"))
            known.combo = combo;
    }
    // The drop-down as long as when the path was read, with the same item id
    // list at that item: the same folder, whatever the bar shows meanwhile
    // (Wine rebuilds the list for every folder). Two messages and a read of
    // the other process's memory.
    if (known.item >= 0 && known.process) {
        LRESULT count = 0, data = 0;
        // The count too: a folder below the one read keeps that item as its
        // parent, one more item down.
        if (SendToWindow(known.combo, CB_GETCOUNT, 0, 0, &count, Until(end)) !=
                SendStatus::Answered ||
            SendToWindow(known.combo, CB_GETITEMDATA, static_cast<WPARAM>(known.item), 0, &data,
                         Until(end)) != SendStatus::Answered)
            return {};
        if (count == known.count && data == known.data &&
            ReadRemoteItemIdList(known.process.get(), static_cast<ULONG_PTR>(data)) == known.pidl)
            return known.path;
    }
    wchar_t text[MAX_PATH * 4] = {};
    LRESULT copied = 0;
    if (SendToWindow(known.edit, WM_GETTEXT, sizeof text / sizeof text[0] - 1,
                     reinterpret_cast<LPARAM>(text), &copied, Until(end),
                     MessageForm::Wide) != SendStatus::Answered)
        return {};
    const std::wstring shown(text, static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    const std::string narrow = ToNarrow(shown);
    if (IsFileSystemFolderPath(narrow)) return narrow;  // a bar that shows the whole path
    if (!known.combo) return {};
    // Wine's bar shows the folder's name only; its drop-down holds the item
    // id lists of the folder and its parents, which are read out of the
    // window's process and turned into paths here.
    if (!known.process) {
        HANDLE opened = OpenProcess(PROCESS_VM_READ, FALSE, known.pid);
        if (!opened) return {};
        known.process.reset(opened, CloseHandle);
    }
    const HANDLE process = known.process.get();
    known.item = -1;
    LRESULT count = 0;
    if (SendToWindow(known.combo, CB_GETCOUNT, 0, 0, &count, Until(end)) != SendStatus::Answered ||
        count <= 0)
        return {};
    struct Candidate {
        int levels;
        LRESULT item, data;
        std::vector<unsigned char> pidl;
    };
    std::vector<Candidate> items;
    for (LRESULT i = 0; i < std::min<LRESULT>(count, kMostAddressItems); ++i) {
        LRESULT data = 0;
        if (SendToWindow(known.combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0, &data,
                         Until(end)) != SendStatus::Answered)
            return {};
        if (data == CB_ERR || data == 0) continue;
        std::vector<unsigned char> pidl =
            ReadRemoteItemIdList(process, static_cast<ULONG_PTR>(data));
        if (!pidl.empty()) items.push_back({LevelsOf(pidl), i, data, std::move(pidl)});
    }
    // The folder shown is the deepest item with the shown name (the parents
    // come before it); without a match (the user is typing), the deepest.
    std::stable_sort(items.begin(), items.end(),
                     [](const Candidate& a, const Candidate& b) { return a.levels > b.levels; });
    const Candidate* chosen = items.empty() ? nullptr : &items.front();
    for (const Candidate& c : items) {
        SHFILEINFOW info = {};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(c.pidl.data()), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_DISPLAYNAME) &&
            shown == info.szDisplayName) {
            chosen = &c;
            break;
        }
    }
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    // A virtual folder has no path; it is remembered as such.
    const std::string found =
        SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(chosen->pidl.data()), path)
            ? ToNarrow(path)
            : std::string();
    known.item = chosen->item;
    known.count = count;
    known.data = chosen->data;
    known.pidl = chosen->pidl;
    known.path = found;
    return found;
}

void COpenFolderReader::CheckKnownBars(const std::vector<HWND>& frames,
                                       std::vector<Sighting>& sightings,
                                       std::vector<HWND>& readAgain) {
    std::vector<std::pair<HWND, KnownFrame*>> asked;
    for (HWND frame : frames) {
        // The bar's windows are not checked again here (two round trips
        // each): a drop-down that is gone or another's cannot answer with the
        // same count and item, holding the same item id list in the frame's
        // process; a frame whose answers differ is read again in full.
        KnownFrame& k = Known(frame);
        if (k.item < 0 || !k.process || !k.combo || asked.size() >= (1u << kAnswerIndexBits))
            readAgain.push_back(frame);
        else
            asked.emplace_back(frame, &k);
    }
    if (asked.empty()) return;
    std::vector<BarAnswers::Answer> answers(asked.size());
    BarAnswers& b = g_bars;
    b.round = (b.round + 1) & ((1u << kRoundBits) - 1);
    b.answers = &answers;
    b.waiting = 0;
    const DWORD end = GetTickCount() + kOpenFolderAnswerMs;
    for (size_t i = 0; i < asked.size(); ++i) {
        const KnownFrame& k = *asked[i].second;
        const ULONG_PTR tag =
            (static_cast<ULONG_PTR>(b.round) << (kAnswerIndexBits + 1)) | (i << 1);
        // An answer of a window of this thread comes at once, inside the call.
        b.waiting += 2;
        if (!SendMessageCallbackW(k.combo, CB_GETCOUNT, 0, 0, OnBarAnswer, tag))
            b.waiting -= 2;
        else if (!SendMessageCallbackW(k.combo, CB_GETITEMDATA, static_cast<WPARAM>(k.item), 0,
                                       OnBarAnswer, tag | 1))
            --b.waiting;
    }
    // The answers arrive as the thread takes its sent messages; nothing
    // posted to it is handled meanwhile.
    while (b.waiting > 0) {
        const UINT left = Until(end);
        if (left == 0) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_SENDMESSAGE, 0);
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    b.answers = nullptr;
    for (size_t i = 0; i < asked.size(); ++i) {
        const BarAnswers::Answer& a = answers[i];
        const KnownFrame& k = *asked[i].second;
        // A window that let its bound pass is not asked again in this showing.
        if (a.answered == 0) continue;
        if (a.answered == 2 && a.count == k.count && a.data == k.data &&
            RemoteBytesEqual(k.process.get(), static_cast<ULONG_PTR>(a.data), k.pidl))
            sightings.push_back({asked[i].first, nullptr, k.path});
        else
            readAgain.push_back(asked[i].first);
    }
}

std::vector<std::string> COpenFolderReader::Read(HWND target) {
    const DWORD start = GetTickCount();
    const std::vector<HWND> frames = ExplorerFrames();
    if (frames.empty()) return {};
    std::vector<HWND> listed;
    std::vector<Sighting> sightings = ReadShellList(frames, listed);
    std::vector<HWND> bars;
    for (HWND frame : frames)
        if (std::find(listed.begin(), listed.end(), frame) == listed.end()) bars.push_back(frame);
    std::vector<HWND> readAgain;
    CheckKnownBars(bars, sightings, readAgain);
    for (HWND frame : readAgain) {
        if (Left(start, kOpenFoldersTotalMs) == 0) break;
        sightings.push_back({frame, nullptr, ReadAddressBar(frame)});
    }

    std::string own;
    std::vector<SeenFolder> seen;
    for (const Sighting& s : sightings) {
        const int place =
            static_cast<int>(std::find(frames.begin(), frames.end(), s.window) - frames.begin());
        // The tab in view is the one last used in its window (asked only
        // for an entry that names its tab).
        const bool inView = !s.tab || s.tab == ActiveTabOf(s.window);
        if (s.window == target && inView && own.empty()) own = s.path;
        seen.push_back({s.path, place * 2 + (inView ? 0 : 1)});
    }
    return ChooseOpenFolders(std::move(seen), own);
}

std::string COpenFolderReader::FolderOf(HWND window) {
    if (!window || !IsWindowVisible(window)) return {};
    const std::string cls = WindowClassName(window, 64);
    if (!ClassNameMatches(cls, kExplorerFrameClass) &&
        !ClassNameMatches(cls, kExplorerFrameClassOlder))
        return {};
    if (!IsExplorerProcess(window)) return {};
    std::vector<HWND> listed;
    const std::vector<Sighting> sightings = ReadShellList({window}, listed);
    std::string path;
    if (!listed.empty()) {
        const HWND active = ActiveTabOf(window);
        for (const Sighting& s : sightings)
            if (!s.tab || s.tab == active || sightings.size() == 1) {
                path = s.path;
                break;
            }
    } else {
        path = ReadAddressBar(window);
    }
    return IsFileSystemFolderPath(path) ? NormaliseFolderPath(path) : std::string();
}

}  // namespace vt::nav
