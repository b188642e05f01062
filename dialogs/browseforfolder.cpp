#include "dialogs/browseforfolder.h"

#include <shlobj.h>

#include "framework/text.h"

namespace vt {

namespace {
// Selects the starting folder once the browser is ready. The path is sent in
// UTF-16, so that no code page stands between it and the browser.
int CALLBACK SelectStartFolder(HWND browser, UINT msg, LPARAM, LPARAM data) {
    const auto* start = reinterpret_cast<const std::wstring*>(data);
    if (msg == BFFM_INITIALIZED && start && !start->empty())
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->c_str()));
    return 0;
}

// The long form of the call takes a buffer of any size; the plain one fails
// for a path of MAX_PATH characters or more.
constexpr DWORD kLongestPathChars = 32768;

// The file-system path of an identifier list, empty when it has none. Read
// in UTF-16: the narrow call stops at 260 bytes, which a path in a non-Latin
// script passes long before 260 characters.
std::string PathOfIdList(LPCITEMIDLIST pidl) {
    std::wstring buf(kLongestPathChars, L'\0');
    if (!SHGetPathFromIDListEx(pidl, buf.data(), kLongestPathChars, GPFIDL_DEFAULT)) return {};
    return ToNarrow(buf.c_str());
}
}  // namespace

std::string WithTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == '\\') return path;
    return path + '\\';
}

bool BrowseForFolder(std::string& path, HWND owner) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return false;

    const std::wstring start = ToWide(path);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA bi = {};
    bi.hwndOwner = owner;
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = displayName;
    bi.lpszTitle = "Choose a directory";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE;  // 0x49
    bi.lpfn = SelectStartFolder;
    bi.lParam = reinterpret_cast<LPARAM>(&start);

    std::string chosen;
    if (LPITEMIDLIST pidl = SHBrowseForFolderA(&bi)) {
        // Only a real path counts: the display name the browser also
        // reports ("Desktop", say) is no folder path.
        chosen = PathOfIdList(pidl);
        allocator->Free(pidl);
    }
    allocator->Release();
    if (chosen.empty()) return false;
    path = WithTrailingBackslash(chosen);
    return true;
}

}  // namespace vt
