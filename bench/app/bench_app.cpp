// Start-up and settings figures, each against its floor in the same run:
//   startup_ratio    process start to the published main window, over the
//                    start and exit of a trivial program
//   load_1000_ratio  LoadSettings with 1,000 stored entries, over the same
//                    4,000 values read bare with RegQueryValueExA
//   save_1000_ratio  SaveSettings of the same, over 4,000 bare RegSetValueExA
#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "framework/handles.h"
#include "support/benchsupport.h"

using namespace vt;
using namespace vt::bench;

namespace {

constexpr int kEntries = 1000;
constexpr int kSettingsPairs = 31;
constexpr int kStartupPairs = 41;
const char* const kBenchKey = "Software\\VantrelBench";

// Time to the published window, or a negative number on failure.
double VantrelStartMs() {
    const double t0 = NowMs();
    UniqueKernelHandle p(Launch(BinPath("Vantrel.exe")));
    if (!p) return -1;
    HWND w = nullptr;
    // Polled at a millisecond: each look is a server request, and spinning
    // would keep the server and a processor from the program that starts.
    while (!(w = PublishedWindow())) {
        if (WaitForSingleObject(p.Get(), 1) == WAIT_OBJECT_0 || NowMs() - t0 > 20000) return -1;
    }
    const double ms = NowMs() - t0;
    PostMessageA(w, WM_COMMAND, 57665, 0);
    if (WaitForSingleObject(p.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(p.Get(), 1);
    while (PublishedWindow()) Sleep(1);
    return ms;
}

double TrivialStartMs() {
    const double t0 = NowMs();
    UniqueKernelHandle p(Launch(BinPath("trivial.exe")));
    if (!p) return -1;
    if (WaitForSingleObject(p.Get(), 20000) != WAIT_OBJECT_0) return -1;
    return NowMs() - t0;
}

void StartupFigures() {
    VantrelStartMs();  // the first run seeds the registry; not measured
    TrivialStartMs();
    const Paired p = Interleave(kStartupPairs, VantrelStartMs, TrivialStartMs);
    PrintRatio("startup_ms", "startup_trivial_ms", "startup_ratio", p, "ms", 1);
}

// The value names of one stored entry, made once so that neither side of a
// pair pays for formatting them.
struct EntryNames {
    std::string path, title, iconFile, iconIndex;
};

std::vector<EntryNames> MakeNames() {
    std::vector<EntryNames> names(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        names[i] = {"Path" + n, "Title" + n, "IconFile" + n, "IconIndex" + n};
    }
    return names;
}

// The floor of a load: the entries' 4,000 values read from the open key,
// each once, into a buffer as large as the one the store reads with.
double BareReadMs(const std::vector<EntryNames>& names) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VantrelBench\\Vantrel\\Entries", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return -1;
    const double t0 = NowMs();
    char buf[1024];
    DWORD type = 0, size = 0;
    int read = 0;
    for (const EntryNames& e : names) {
        for (const std::string* n : {&e.path, &e.title, &e.iconFile, &e.iconIndex}) {
            size = sizeof buf;
            read += RegQueryValueExA(key, n->c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf),
                                     &size) == ERROR_SUCCESS;
        }
    }
    const double ms = NowMs() - t0;
    RegCloseKey(key);
    return read == 4 * kEntries ? ms : -1;
}

// The floor of a save: the same 4,000 values written with the same data.
double BareWriteMs(const std::vector<EntryNames>& names, const FolderList& folders) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VantrelBench\\Vantrel\\Entries", 0, nullptr,
                        0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return -1;
    const double t0 = NowMs();
    int written = 0;
    auto setString = [&](const std::string& name, const std::string& value) {
        written += RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    };
    size_t i = 0;
    for (const auto& kv : folders) {
        const FolderEntry& f = kv.second;
        const EntryNames& e = names[i++];
        setString(e.path, f.path);
        setString(e.title, f.title);
        setString(e.iconFile, f.iconFile);
        const DWORD index = static_cast<DWORD>(f.iconIndex);
        written +=
            RegSetValueExA(key, e.iconIndex.c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&index), sizeof index) == ERROR_SUCCESS;
    }
    const double ms = NowMs() - t0;
    RegCloseKey(key);
    return written == 4 * kEntries ? ms : -1;
}

void SettingsFigures() {
    CRegProfile profile("VantrelBench", "Vantrel");
    SHDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
    profile.WriteProfileInt("", "Already Run", 1);
    CSettingsStore seed(profile);
    for (int i = 0; i < kEntries; ++i) {
        char path[64];
        snprintf(path, sizeof path, "C:\\Bench\\Folder %04d", i);
        seed.folders[i] = {path, std::string("Folder ") + std::to_string(i),
                           "C:\\Windows\\system32\\shell32.dll", i % 40};
    }
    seed.SaveSettings();
    const std::vector<EntryNames> names = MakeNames();

    int wrongCount = 0;
    auto load = [&] {
        CSettingsStore s(profile);
        const double t0 = NowMs();
        s.LoadSettings();
        const double ms = NowMs() - t0;
        if (s.folders.size() != static_cast<size_t>(kEntries)) ++wrongCount;
        return ms;
    };
    CSettingsStore saver(profile);
    saver.LoadSettings();
    auto save = [&] {
        const double t0 = NowMs();
        saver.SaveSettings();
        return NowMs() - t0;
    };
    load();  // warm-up: the key's values in the server's and the system's caches
    BareReadMs(names);
    const Paired loads = Interleave(kSettingsPairs, load, [&] { return BareReadMs(names); });
    const Paired saves =
        Interleave(kSettingsPairs, save, [&] { return BareWriteMs(names, seed.folders); });
    if (wrongCount) fprintf(stderr, "%d loads did not find %d entries\n", wrongCount, kEntries);
    PrintRatio("load_1000_ms", "load_1000_floor_ms", "load_1000_ratio", loads);
    PrintRatio("save_1000_ms", "save_1000_floor_ms", "save_1000_ratio", saves);
    SHDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
}

}  // namespace

int main() {
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane.");
    SettingsFigures();
    StartupFigures();
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane.");
    return 0;
}
