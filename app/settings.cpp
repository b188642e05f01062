#include "app/settings.h"

#include <shlobj.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <vector>

#include "shell/iconsources.h"
#include "framework/text.h"

namespace vt {

const DefaultFolderSource kDefaultFolders[5] = {
    {CSIDL_DESKTOP, "Desktop"},         // 0
    {CSIDL_PERSONAL, "Personal"},       // 5
    {CSIDL_MYPICTURES, "My Pictures"},  // 39
    {CSIDL_MYMUSIC, "My Music"},        // 13
    {-1, "My Video"},
};

namespace {

std::string ValueName(const char* stem, int position) { return stem + std::to_string(position); }

// Parses "<stem><decimal>" with no leading zeros; -1 when the name is not one.
int PositionOf(const char* name, const char* stem) {
    size_t n = strlen(stem);
    if (_strnicmp(name, stem, n) != 0) return -1;
    const char* d = name + n;
    if (*d < '0' || *d > '9' || (d[0] == '0' && d[1] != '\0')) return -1;
    long long v = 0;
    for (; *d; ++d) {
        if (*d < '0' || *d > '9') return -1;
        v = v * 10 + (*d - '0');
        if (v > 0x7FFFFFFF) return -1;
    }
    return static_cast<int>(v);
}

// Positions that hold both a path and a title value, found from the value
// names themselves. Used when "Count" cannot be trusted, so that the work is
// bounded by what the key really holds.
std::set<int> PresentPositions(const CRegKey& entries) {
    std::set<int> paths, both;
    std::set<int> titles;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumValueA(entries.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // a name too long to be ours
        if (rc != ERROR_SUCCESS) break;
        int p = PositionOf(name, "Path");
        if (p >= 0) paths.insert(p);
        int t = PositionOf(name, "Title");
        if (t >= 0) titles.insert(t);
    }
    for (int p : paths)
        if (titles.count(p)) both.insert(p);
    return both;
}

DWORD ValueCount(const CRegKey& key);

// Deletes the four values of positions from..to-1. A huge range (a damaged
// "Count") is handled by the value names present instead of by position.
void DeleteEntryTail(const CRegKey& entries, int from, int to) {
    static const char* const kStems[] = {"Path", "Title", "IconFile", "IconIndex"};
    if (from >= to) return;
    if (static_cast<long long>(to) - from <= static_cast<long long>(ValueCount(entries))) {
        for (int p = from; p < to; ++p)
            for (const char* stem : kStems) entries.DeleteValue(ValueName(stem, p).c_str());
        return;
    }
    std::vector<std::string> doomed;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumValueA(entries.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        for (const char* stem : kStems) {
            int p = PositionOf(name, stem);
            // "IconFile" also starts with "Icon"; exact stems keep them apart.
            if (p >= from && p < to) doomed.push_back(name);
        }
    }
    for (const auto& n : doomed) entries.DeleteValue(n.c_str());
}

DWORD ValueCount(const CRegKey& key) {
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return values;
}

}  // namespace

void CSettingsStore::LoadSettings() {
    using namespace regname;
    CRegKey app;
    profile_.OpenSection("", app);
    AppSettings s;
    s.action = app.QueryInt(kAction, 0);
    s.showTray = app.QueryDword(kShowTray, 1) != 0;
    s.shortcutType = ShortcutTypeFromStored(app.QueryInt(kShortcutType, 1));
    s.windowsKey = app.QueryString(kWindowsKey, "A");
    s.normalHotKeyVirtualKey = static_cast<WORD>(app.QueryDword(kHotKeyVk, 0) & 0xFFFF);
    s.normalHotKeyModifier = static_cast<WORD>(app.QueryDword(kHotKeyMod, 0) & 0xFFFF);
    s.alwaysNewExplorer = app.QueryDword(kAlwaysNewExplorer, 0) != 0;
    s.activateOnRButtonDown = app.QueryDword(kActivateRButton, 1) != 0;
    s.activateOnMouseWheel = app.QueryDword(kActivateWheel, 0) != 0;
    s.showOpenFolders = app.QueryDword(kShowOpenFolders, 1) != 0;
    s.autoSwitch = app.QueryDword(kAutoSwitch, 0) != 0;
    settings = s;
    LoadFolderList();
}

void CSettingsStore::LoadFolderList() {
    using namespace regname;
    CRegKey entries;
    profile_.OpenSection(kEntries, entries);

    // "Count" bounds the positions. A count larger than the number of values
    // the key holds (hand-edited or damaged data, up to 0x7FFFFFFF) is kept as
    // the stored count, but only the positions that really exist are read, so
    // the work stays bounded. A count that is negative or not a DWORD says
    // nothing: every position present is read, so no readable entry is lost.
    DWORD type = 0, raw = 0, size = sizeof raw;
    LONG rc = entries.IsOpen() ? RegQueryValueExA(entries.Get(), kCount, nullptr, &type,
                                                  reinterpret_cast<BYTE*>(&raw), &size)
                               : ERROR_FILE_NOT_FOUND;
    const bool countValid = rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof raw;
    const int count = countValid ? static_cast<int>(raw) : 0;
    std::set<int> positions;
    bool scan = false;
    if (rc == ERROR_FILE_NOT_FOUND) {
        storedCount = 0;
    } else if (countValid && count >= 0) {
        storedCount = count;
        scan = static_cast<DWORD>(count) > ValueCount(entries);
        if (scan) {
            positions = PresentPositions(entries);
            positions.erase(positions.lower_bound(count), positions.end());
        }
    } else {
        scan = true;
        positions = PresentPositions(entries);
        storedCount = positions.empty() ? 0 : *positions.rbegin() + 1;
    }

    int key = 0;
    auto loadPosition = [&](int i) {
        FolderEntry e;
        e.path = entries.QueryString(ValueName("Path", i).c_str(), "");
        e.title = entries.QueryString(ValueName("Title", i).c_str(), "");
        if (e.path.empty() || e.title.empty()) return;
        e.iconFile = entries.QueryString(ValueName("IconFile", i).c_str(), "");
        e.iconIndex = entries.QueryInt(ValueName("IconIndex", i).c_str(), -1);
        if (e.iconFile == kSystemImageListMarker) {
            // System image list indices are only valid while the shell runs.
            if (deferSystemIcons)
                systemIconsPending_ = true;
            else
                ResolveSystemIcon(e);
        }
        folders[key++] = std::move(e);
    };
    if (scan) {
        for (int i : positions) loadPosition(i);
    } else {
        for (int i = 0; i < storedCount; ++i) loadPosition(i);
    }

    // First run: seed the well-known folders into an empty store.
    CRegKey app;
    profile_.OpenSection("", app);
    if (app.QueryDword(kAlreadyRun, 0) != 0) return;
    firstRun_ = true;
    if (storedCount == 0) {
        for (const auto& d : kDefaultFolders) AddDefaultFolder(d.csidl, d.shellFolderValue);
        SaveSettings();
    }
    profile_.WriteProfileInt("", kAlreadyRun, 1);
}

void CSettingsStore::ResolveSystemIcon(FolderEntry& e) {
    int index = -1;
    if (GetSystemIconIndex(e.path, index)) {
        e.iconIndex = index;
    } else {
        e.iconFile.clear();
        e.iconIndex = -1;
    }
}

void CSettingsStore::ResolveSystemIcons() {
    if (!systemIconsPending_) return;
    systemIconsPending_ = false;
    for (auto& kv : folders)
        if (kv.second.iconFile == kSystemImageListMarker) ResolveSystemIcon(kv.second);
}

bool CSettingsStore::SaveSettings() {
    using namespace regname;
    CRegKey entries;
    bool ok = profile_.CreateSection(kEntries, entries);
    const int n = static_cast<int>(folders.size());
    ok = entries.SetDword(kCount, static_cast<DWORD>(n)) && ok;
    int i = 0;
    for (const auto& kv : folders) {
        const FolderEntry& e = kv.second;
        ok = entries.SetString(ValueName("Path", i).c_str(), e.path) && ok;
        ok = entries.SetString(ValueName("Title", i).c_str(), e.title) && ok;
        ok = entries.SetString(ValueName("IconFile", i).c_str(), e.iconFile) && ok;
        ok = entries.SetDword(ValueName("IconIndex", i).c_str(), static_cast<DWORD>(e.iconIndex)) &&
             ok;
        ++i;
    }
    if (ok) {
        DeleteEntryTail(entries, n, storedCount);
        // Only a list that was written changes what the registry holds; after
        // a failure the next save must still clear the old tail.
        storedCount = n;
    }

    CRegKey app;
    ok = profile_.CreateSection("", app) && ok;
    ok = app.SetDword(kAction, static_cast<DWORD>(settings.action)) && ok;
    ok = app.SetDword(kShowTray, settings.showTray ? 1 : 0) && ok;
    ok = app.SetDword(kShortcutType,
                      static_cast<DWORD>(StoredShortcutType(settings.shortcutType))) &&
         ok;
    ok = app.SetString(kWindowsKey, settings.windowsKey) && ok;
    ok = app.SetDword(kHotKeyVk, settings.normalHotKeyVirtualKey) && ok;
    ok = app.SetDword(kHotKeyMod, settings.normalHotKeyModifier) && ok;
    ok = app.SetDword(kAlwaysNewExplorer, settings.alwaysNewExplorer ? 1 : 0) && ok;
    ok = app.SetDword(kActivateRButton, settings.activateOnRButtonDown ? 1 : 0) && ok;
    ok = app.SetDword(kActivateWheel, settings.activateOnMouseWheel ? 1 : 0) && ok;
    ok = app.SetDword(kShowOpenFolders, settings.showOpenFolders ? 1 : 0) && ok;
    ok = app.SetDword(kAutoSwitch, settings.autoSwitch ? 1 : 0) && ok;
    return ok;
}

bool CSettingsStore::SaveShortcut() {
    using namespace regname;
    CRegKey app;
    bool ok = profile_.CreateSection("", app);
    ok = app.SetDword(kShortcutType,
                      static_cast<DWORD>(StoredShortcutType(settings.shortcutType))) &&
         ok;
    ok = app.SetDword(kHotKeyVk, settings.normalHotKeyVirtualKey) && ok;
    ok = app.SetDword(kHotKeyMod, settings.normalHotKeyModifier) && ok;
    return ok;
}

void CSettingsStore::AddDefaultFolder(int csidl, const char* shellFolderValue) {
    std::string path, title;
    if (csidl >= 0) {
        LPITEMIDLIST pidl = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) && pidl) {
            char buf[kPathBufferBytes] = {};
            SHGetPathFromIDListA(pidl, buf);
            SHFILEINFOA info = {};
            if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                               SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
                path = buf;
                title = info.szDisplayName;
            }
            CoTaskMemFree(pidl);
        }
    }
    if (path.empty() && title.empty() && shellFolderValue && *shellFolderValue) {
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
            std::string value;
            if (key.TryQueryString(shellFolderValue, value, 2047)) {
                path = value;
                // The file name part (name and extension): what follows the
                // last separator. A path ending in one has none.
                const size_t cut = path.find_last_of("\\/:");
                title = cut == std::string::npos ? path : path.substr(cut + 1);
            }
        }
    }
    if (path.empty() || title.empty()) return;
    FolderEntry e;
    e.path = path;
    e.title = title;
    FindDefaultIcon(path, e.iconFile, e.iconIndex);
    folders[NextFolderKey(folders)] = std::move(e);
}

DWORD CSettingsStore::ReadTakenShortcutTold() const {
    CRegKey app;
    profile_.OpenSection("", app);
    return app.QueryDword(regname::kTakenShortcutTold, 0);
}

void CSettingsStore::WriteTakenShortcutTold(DWORD packed) const {
    CRegKey app;
    if (profile_.CreateSection("", app)) app.SetDword(regname::kTakenShortcutTold, packed);
}

void CSettingsStore::ForgetTakenShortcutTold() const {
    CRegKey app;
    if (profile_.CreateSection("", app)) app.DeleteValue(regname::kTakenShortcutTold);
}

std::string CSettingsStore::ReadDirToAdd() const {
    return profile_.GetProfileString("", regname::kDirToAdd, "");
}

void CSettingsStore::WriteDirToAdd(const std::string& path) const {
    profile_.WriteProfileString("", regname::kDirToAdd, path);
}

}  // namespace vt
