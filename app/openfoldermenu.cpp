// The folder menu's first section: the folders the open Explorer windows
// show, read afresh at every showing, under the heading "Open folders".
#include <windows.h>
#include <shellapi.h>

#include "app/mainframe.h"
#include "framework/text.h"
#include "navigation/navigate.h"
#include "resources/resource.h"

namespace vt {

static_assert(ID_OPEN_FOLDER_LAST - ID_OPEN_FOLDER_FIRST + 1 == nav::kMostOpenFolders,
              "one command per open folder the menu can list");

namespace {

// "&" marks an access key in a menu title; a folder's name means it literally.
std::string LiteralTitle(const std::string& name) {
    std::string out;
    for (char c : name) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

}  // namespace

void CMainFrame::AppendOpenFolders(CNewMenu& menu, CWnd target,
                                   const std::function<std::string(const std::string&)>& fit) {
    shownOpenFolders_.clear();
    if (!store_.settings.showOpenFolders) return;
    shownOpenFolders_ = openFolders_.Read(target.GetSafeHwnd());
    if (shownOpenFolders_.empty()) return;
    menu.AppendHeading("Open folders");
    for (size_t i = 0; i < shownOpenFolders_.size(); ++i) {
        const std::string& path = shownOpenFolders_[i];
        // The shell's name and icon, as Explorer shows them (a drive's root
        // has a name of its own); asked once per folder.
        auto look = openFolderLooks_.find(path);
        if (look == openFolderLooks_.end()) {
            if (openFolderLooks_.size() > 256) openFolderLooks_.clear();
            SHFILEINFOW info = {};
            FolderLook found{path, -1};
            if (SHGetFileInfoW(ToWide(path).c_str(), 0, &info, sizeof info,
                               SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
                if (info.szDisplayName[0]) found.title = ToNarrow(info.szDisplayName);
                found.iconIndex = info.iIcon;
            }
            look = openFolderLooks_.emplace(path, found).first;
        }
        FolderEntry entry{path, look->second.title, "", -1};
        if (look->second.iconIndex >= 0) {
            entry.iconFile = kSystemImageListMarker;
            entry.iconIndex = look->second.iconIndex;
        }
        const UINT id = ID_OPEN_FOLDER_FIRST + static_cast<UINT>(i);
        menu.AppendItem(0, id, fit(LiteralTitle(entry.title)).c_str(), PictureFor(entry),
                        menuPictures_.get());
    }
    menu.AppendItem(MF_SEPARATOR, 0, "", -1);
}

void CMainFrame::NavigateToOpenFolder(UINT id) {
    const size_t index = id - ID_OPEN_FOLDER_FIRST;
    if (index >= shownOpenFolders_.size()) return;
    nav::NavigationRequest request;
    nav::PreparePathNavigation(shownOpenFolders_[index], store_.settings, TargetWindow, {},
                               request);
    StartNavigation(request);
}

}  // namespace vt
