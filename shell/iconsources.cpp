#include "shell/iconsources.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "shell/systemimagelist.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "framework/text.h"

namespace vt {

int PlainFolderSystemIndex = -1;
std::string PlainFolderIconFile;
int PlainFolderIconIndex = -1;

namespace {

constexpr size_t kPathChars = kPathBufferBytes;  // paths the shell reports, in UTF-8
constexpr size_t kLocationChars = 1024;          // icon locations and expansions

bool IsDirectory(const std::string& path) {
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CanOpenForReading(const std::string& path) {
    UniqueFileHandle f(CreateFileA(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(f);
}

// Lower case in the system code page, as the shell compares paths.
std::string Lower(std::string s) {
    if (!s.empty()) CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// The form special folders are compared in: lower case, one trailing backslash.
std::string FolderKey(const std::string& path) {
    std::string key = Lower(path);
    if (key.empty() || key.back() != '\\') key += '\\';
    return key;
}

// Extension of the file name (from its last dot), lower case; "" without one.
std::string LowerExtension(const std::string& path) {
    return Lower(PathFindExtensionA(path.c_str()));
}

// Owns an identifier list returned by the shell.
struct PidlFree {
    using Type = LPITEMIDLIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { CoTaskMemFree(p); }
};
using UniquePidl = UniqueHandle<PidlFree>;

bool SystemIndexOfPidl(LPCITEMIDLIST pidl, int& index) {
    SHFILEINFOA info{};
    DWORD_PTR list =
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_LINKOVERLAY);
    if (!list) return false;
    index = info.iIcon;
    return true;
}

// Looks the file type of an extension up under HKEY_CLASSES_ROOT and returns
// its "\DefaultIcon" text.
bool ReadFileTypeDefaultIcon(const std::string& extension, std::string& location) {
    // An empty name would open HKEY_CLASSES_ROOT itself and read its value.
    if (extension.empty()) return false;
    CRegKey extKey;
    std::string typeName;
    if (!extKey.Open(HKEY_CLASSES_ROOT, extension) ||
        !extKey.TryQueryString(nullptr, typeName, kLocationChars - 1) || typeName.empty())
        return false;
    CRegKey iconKey;
    return iconKey.Open(HKEY_CLASSES_ROOT, typeName + "\\DefaultIcon") &&
           iconKey.TryQueryString(nullptr, location, kLocationChars - 1);
}

struct GroupSearch {
    WORD wanted;
    int before = 0;  // groups listed before the wanted one
    bool found = false;
};

BOOL CALLBACK CountIconGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* search = reinterpret_cast<GroupSearch*>(param);
    if (IS_INTRESOURCE(name) && LOWORD(reinterpret_cast<ULONG_PTR>(name)) == search->wanted) {
        search->found = true;
        return FALSE;
    }
    // Named groups count too: the shell's icon extraction numbers every
    // group in this order, named ones first.
    ++search->before;
    return TRUE;
}

}  // namespace

std::string GetDefaultIconFile() {
    const std::string fallback = "shell32.dll";
    char buf[kPathChars] = {};
    if (SHGetSpecialFolderPathA(nullptr, buf, CSIDL_SYSTEM, FALSE)) {
        std::string candidate = std::string(buf) + "\\shell32.dll";
        return CanOpenForReading(candidate) ? candidate : fallback;
    }
    UINT len = GetWindowsDirectoryA(buf, sizeof buf);
    if (len > 0 && len < sizeof buf) {
        std::string candidate = std::string(buf) + "\\system32\\shell32.dll";
        return CanOpenForReading(candidate) ? candidate : fallback;
    }
    return fallback;
}

namespace {
// Special folder paths (lower case, trailing backslash) by identifier, read
// once: asking the shell for 62 identifier lists costs tens of milliseconds
// under some systems, and every "*** SIL ***" entry needs the walk.
struct SpecialFolderPath {
    int csidl;
    std::string key;
};
std::vector<SpecialFolderPath>& SpecialFolderCache() {
    static std::vector<SpecialFolderPath> cache;
    return cache;
}
bool g_specialFoldersRead = false;

const std::vector<SpecialFolderPath>& SpecialFolderPaths() {
    auto& cache = SpecialFolderCache();
    if (!g_specialFoldersRead) {
        cache.clear();
        for (int csidl = 0; csidl <= 61; ++csidl) {
            char buf[kPathChars] = {};
            if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) &&
                buf[0])
                cache.push_back({csidl, FolderKey(buf)});
        }
        g_specialFoldersRead = true;
    }
    return cache;
}
}  // namespace

void ForgetSpecialFolderPaths() {
    g_specialFoldersRead = false;
    SpecialFolderCache().clear();
}

bool GetSystemIconIndex(const std::string& path, int& index) {
    const std::string key = FolderKey(path);
    // Special folders through their identifier lists, so that they get the
    // picture the shell shows for them rather than a plain folder's.
    for (const auto& special : SpecialFolderPaths()) {
        if (special.key != key) continue;
        LPITEMIDLIST raw = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, special.csidl, &raw)) || !raw) continue;
        UniquePidl pidl(raw);
        char buf[kPathChars] = {};
        if (!SHGetPathFromIDListA(pidl.Get(), buf) || FolderKey(buf) != key) continue;
        return SystemIndexOfPidl(pidl.Get(), index);
    }
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                        SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_LINKOVERLAY))
        return false;
    index = info.iIcon;
    return true;
}

namespace {
// The system image of an existing folder that does not look like a plain one.
bool SpecialSystemIndex(const std::string& path, int& index) {
    EnsureIconReferenceValues();
    return IsDirectory(path) && GetSystemIconIndex(path, index) && index != PlainFolderSystemIndex;
}
}  // namespace

bool HasSystemSpecialIcon(const std::string& path) {
    int index = -1;
    return SpecialSystemIndex(path, index);
}

bool ParseIconLocation(const std::string& location, std::string& file, int& index) {
    file.clear();
    index = 0;
    if (location.size() >= kLocationChars) return false;
    char buf[kLocationChars] = {};
    location.copy(buf, location.size());
    const size_t last = location.rfind(',');
    if (last != std::string::npos && location.find(',') != last) {
        // The parser splits at the first comma; a file name that holds commas
        // of its own would lose its tail, so cut at the last one first.
        index = StrToIntA(buf + last + 1);
        buf[last] = '\0';
        PathUnquoteSpacesA(buf);
        PathRemoveBlanksA(buf);
    } else {
        index = PathParseIconLocationA(buf);
    }
    file = buf;
    return true;
}

bool ExpandIconPath(const std::string& text, std::string& expanded) {
    char buf[kLocationChars] = {};
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buf, sizeof buf);
    if (needed == 0 || needed > sizeof buf) return false;  // would not fit
    expanded = buf;
    return true;
}

bool FindIconGroupPosition(const std::string& file, int resourceId, int& position) {
    if (resourceId <= 0 || resourceId > 0xFFFF) return false;
    // As data only: the library's code never runs.
    UniqueModule module(LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return false;
    GroupSearch search{static_cast<WORD>(resourceId)};
    EnumResourceNamesA(module.Get(), RT_GROUP_ICON, CountIconGroup,
                       reinterpret_cast<LONG_PTR>(&search));
    if (!search.found) return false;
    position = search.before;
    return true;
}

bool FindDefaultIcon(const std::string& path, std::string& iconFile, int& iconIndex) {
    EnsureIconReferenceValues();
    iconFile.clear();
    iconIndex = -1;

    const bool directory = IsDirectory(path);
    const std::string extension = LowerExtension(path);
    if (!directory && (extension == ".exe" || extension == ".ico")) {
        iconFile = path;
        iconIndex = 0;
        return true;
    }

    // One lookup serves the test and the result: the special-folder walk is
    // not free, and the shell need not give the same index twice.
    int systemIndex = -1;
    if (SpecialSystemIndex(path, systemIndex)) {
        iconFile = kSystemImageListMarker;
        iconIndex = systemIndex;
        return true;
    }

    SHFILEINFOA info{};
    info.iIcon = -1;
    const bool located =
        SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) != 0 &&
        info.szDisplayName[0] != '\0';
    if (located) {
        if (directory && info.szDisplayName == PlainFolderIconFile &&
            info.iIcon == PlainFolderIconIndex)
            return true;  // a plain folder: no icon of its own
        std::string expanded;
        if (!ExpandIconPath(info.szDisplayName, expanded)) return false;
        iconFile = expanded;
        iconIndex = info.iIcon;
        return true;
    }
    if (directory) return false;

    // No location from the shell: the file type's registered default icon.
    std::string location, file;
    int index = 0;
    if (!ReadFileTypeDefaultIcon(extension, location) ||
        !ParseIconLocation(location, file, index) || !ExpandIconPath(file, file))
        return false;
    if (index < -1) {
        // A negated resource number: turn it into the group's position.
        int position = 0;
        const bool found = index >= -0xFFFF && FindIconGroupPosition(file, -index, position);
        index = found ? position : 0;
    }
    iconFile = file;
    iconIndex = index;
    return true;
}

namespace {

// IID_IImageList, which MinGW's import libraries do not carry.
const IID kImageListIid = {
    0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

// The system image list that holds the icon at size, or scaled down from the
// next larger one; the shell's lists share their indices.
HICON SystemImageAtSize(int index, int size) {
    if (index < 0) return nullptr;
    CSystemImageList& small = CSystemImageList::Get();
    if (small.GetImageSize().cx == size) return small.ExtractIcon(index, ILD_NORMAL);
    HIMAGELIST best = nullptr;
    int bestSize = 0;
    for (int which : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE}) {
        HIMAGELIST list = nullptr;
        if (FAILED(SHGetImageList(which, kImageListIid, reinterpret_cast<void**>(&list))) || !list)
            continue;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        // The smallest list at least as large, else the largest there is.
        const bool better = bestSize < size ? cx > bestSize : (cx >= size && cx < bestSize);
        if (!best || better) {
            best = list;
            bestSize = cx;
        }
    }
    if (!best) return small.ExtractIcon(index, ILD_NORMAL);
    UniqueIcon icon(ImageList_GetIcon(best, index, ILD_NORMAL));
    if (!icon || bestSize == size) return icon.Release();
    return static_cast<HICON>(CopyImage(icon.Get(), IMAGE_ICON, size, size, 0));
}

}  // namespace

HICON LoadSmallIcon(const std::string& iconFile, int iconIndex) {
    return LoadIconOfSize(iconFile, iconIndex, GetSystemMetrics(SM_CXSMICON));
}

HICON LoadIconOfSize(const std::string& iconFile, int iconIndex, int size) {
    if (iconFile == kSystemImageListMarker) return SystemImageAtSize(iconIndex, size);
    if (iconFile.empty() || iconIndex == -1 || size <= 0) return nullptr;
    HICON icon = nullptr;
    const HRESULT hr =
        SHDefExtractIconA(iconFile.c_str(), iconIndex, 0, &icon, nullptr, static_cast<UINT>(size));
    if (hr != S_OK) {
        if (icon) DestroyIcon(icon);
        return nullptr;
    }
    return icon;
}

namespace {
enum class ReferenceState { None, Pending, Computing, Done };
ReferenceState g_referenceState = ReferenceState::None;
std::string g_referenceFolder;
}  // namespace

void SetIconReferenceFolder(const std::string& programFolder) {
    g_referenceFolder = programFolder;
    g_referenceState = ReferenceState::Pending;
}

void EnsureIconReferenceValues() {
    // While they are being computed the values stay "" and -1, which is what
    // the computation itself must see.
    if (g_referenceState != ReferenceState::Pending) return;
    g_referenceState = ReferenceState::Computing;
    ComputeIconReferenceValues(g_referenceFolder);
}

void ComputeIconReferenceValues(const std::string& programFolder) {
    PlainFolderSystemIndex = -1;
    PlainFolderIconFile.clear();
    PlainFolderIconIndex = -1;
    int systemIndex = -1;
    if (GetSystemIconIndex(programFolder, systemIndex)) PlainFolderSystemIndex = systemIndex;
    // Computed into locals: the comparison inside must still see "" and -1.
    std::string file;
    int index = -1;
    FindDefaultIcon(programFolder, file, index);
    PlainFolderIconFile = file;
    PlainFolderIconIndex = index;
    g_referenceState = ReferenceState::Done;
}

}  // namespace vt
