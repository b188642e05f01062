// The folder menu: one owner-drawn item per existing folder (command 30000 +
// key), then "Setup..." and "Exit", tracked at the cursor for the window
// that was in front.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>

#include "app/mainframe.h"
#include "dialogs/systemimagelist.h"
#include "framework/handles.h"
#include "navigation/driver.h"
#include "resources/resource.h"

namespace vt {

std::string IconCacheKey(const FolderEntry& e) {
    if (e.iconIndex == -1 || e.iconFile.empty()) return "DEFAULT";
    std::string key = e.iconFile + "," + std::to_string(e.iconIndex);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

int CMainFrame::PictureFor(const FolderEntry& e) {
    const std::string key = IconCacheKey(e);
    auto it = pictureCache_.find(key);
    if (it != pictureCache_.end()) return it->second;
    HICON icon = nullptr;
    if (key != "DEFAULT") {
        if (e.iconFile != kSystemImageListMarker) {
            HICON small = nullptr;
            if (ExtractIconExA(e.iconFile.c_str(), e.iconIndex, nullptr, &small, 1) == 1)
                icon = small;
            else if (small)
                DestroyIcon(small);
        } else {
            icon = CSystemImageList::Get().ExtractIcon(e.iconIndex, ILD_NORMAL);
        }
    }
    // The collection copies the icon; a failure is cached like a success.
    int picture = icon ? menuPictures_.AddIcon(icon, 0)
                       : menuPictures_.AddBitmap(IDB_DEFAULT_FOLDER, kMenuMaskColor);
    if (icon) DestroyIcon(icon);
    pictureCache_[key] = picture;
    return picture;
}

void CMainFrame::ShowFolderMenu(CWnd target) {
    FinishStartup();  // a first start with "/pop" gets here before the message loop
    CNewMenu menu(nullptr);
    menu.Attach(::CreatePopupMenu());
    menu.SetTransparentColor(kMenuMaskColor);

    for (const auto& kv : store_.folders) {
        const FolderEntry& e = kv.second;
        if (!PathFileExistsA(e.path.c_str())) continue;  // hidden, not removed
        const UINT id = ID_FOLDER_FIRST + static_cast<UINT>(kv.first);
        // The picture comes with the item: setting it afterwards by command
        // id searches the whole menu for every item, which made a long list
        // cost the square of its length. Ids are unique here, so the item
        // ends up the same.
        menu.AppendItem(0, id, e.title.c_str(), PictureFor(e), &menuPictures_);
    }
    if (!store_.folders.empty()) menu.AppendItem(MF_SEPARATOR, 0, "", -1);
    menu.AppendItem(0, ID_SETUP, "Setup...", -1);
    menu.AppendItem(0, ID_APP_EXIT_CMD, "Exit", -1);
    // The two command pictures live in the window's own collection, which
    // loads each bitmap once: the toolkit's shared collection for a plain
    // item bitmap dies with every menu, and rebuilding its three images (normal,
    // dimmed, disabled) for both items cost about 10 ms per activation.
    menu.SetItemImage(nullptr, ID_SETUP, &menuPictures_,
                      menuPictures_.AddBitmap(IDB_SETUP, kMenuMaskColor));
    menu.SetItemImage(nullptr, ID_APP_EXIT_CMD, &menuPictures_,
                      menuPictures_.AddBitmap(IDB_EXIT, kMenuMaskColor));

    // Attached only when there is a target of another thread; detached when
    // the scope ends, after the target was put back in front.
    nav::InputAttachment input(target);
    SetForegroundWindow();
    POINT pt = {};
    GetCursorPos(&pt);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, m_hWnd);
    // A menu closed by a click elsewhere must not need a second click next time.
    PostMessage(WM_NULL);
    if (target) target.SetForegroundWindow();
}

}  // namespace vt
