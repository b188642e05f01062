// The folder menu: one owner-drawn item per existing folder (command 30000 +
// key), then "Setup..." and "Exit", tracked at the cursor for the window
// that was in front.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <optional>

#include "app/mainframe.h"
#include "shell/iconsources.h"
#include "framework/dpi.h"
#include "framework/handles.h"
#include "navigation/driver.h"
#include "navigation/sendwindow.h"
#include "resources/resource.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuletters.h"

namespace vt {

namespace {
// How long the window in front gets to show that it is taking messages. An
// idle program answers at once.
constexpr UINT kAttachProbeMs = 500;
// The size of the program's menu bitmaps (folder, "Setup...", "Exit").
constexpr int kBitmapPictureSize = 16;
}  // namespace

namespace {
// A favourite's title as the menu shows it: at most a third of the work area
// of the monitor the menu pops up on, measured with the menu's font for that
// monitor's DPI, so that one long title cannot push every other item's text
// out of the menu.
class TitleFitter {
public:
    TitleFitter(POINT pt, int dpi) : dc_(GetDC(nullptr)) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        if (GetMonitorInfoA(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi))
            maxWidth_ = (mi.rcWork.right - mi.rcWork.left) / 3;
        if (dc_) old_ = SelectObject(dc_, menu::CachedItemFont(false, dpi));
    }
    ~TitleFitter() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    TitleFitter(const TitleFitter&) = delete;
    TitleFitter& operator=(const TitleFitter&) = delete;

    std::string Fit(const std::string& title) const {
        if (!dc_ || maxWidth_ <= 0) return title;
        return menu::CutInMiddle(title, maxWidth_, [this](const std::wstring& text) {
            RECT r = {0, 0, 0, 0};
            // Measured as drawn: one line, "&" marking the access key.
            DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
                      DT_SINGLELINE | DT_CALCRECT);
            return static_cast<int>(r.right - r.left);
        });
    }

private:
    HDC dc_;  // the screen's, released by the destructor
    HGDIOBJ old_ = nullptr;
    int maxWidth_ = 0;
};
}  // namespace

namespace {
// Compared rather than tracked: the list is replaced whole by Setup, the
// hand-over and tests alike, and comparing even 1,000 entries costs far less
// than measuring their titles again.
bool SameFolders(const FolderList& a, const FolderList& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return x.first == y.first && x.second.path == y.second.path &&
                      x.second.title == y.second.title && x.second.iconFile == y.second.iconFile &&
                      x.second.iconIndex == y.second.iconIndex;
           });
}
}  // namespace

void CMainFrame::UsePictureSize(int size) {
    if (menuPictures_ && size == pictureSize_) return;
    // No menu holds the old collection any more: menus live for one popup.
    menuPictures_ = std::make_unique<CNewMenuBitmaps>();
    // The frame keeps one reference, so that menus, which release theirs,
    // never delete the collection.
    menuPictures_->AddRef();
    pictureSize_ = size;
    pictureCache_.Clear();
}

int CMainFrame::ResourcePicture(UINT bitmapId, UINT iconId) {
    // AddBitmap finds a bitmap it already holds by itself.
    if (pictureSize_ == kBitmapPictureSize)
        return menuPictures_->AddBitmap(bitmapId, kBitmapMaskColor);
    return pictureCache_.Get("#" + std::to_string(iconId), [&] {
        UniqueIcon icon(static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                       pictureSize_, pictureSize_, LR_DEFAULTCOLOR)));
        return icon ? menuPictures_->AddIcon(icon.Get(), 0) : -1;
    });
}

int CMainFrame::PictureFor(const FolderEntry& e) {
    const std::string key = IconCacheKey(e);
    return pictureCache_.Get(key, [&] {
        UniqueIcon icon(key != kDefaultIconKey
                            ? LoadIconOfSize(e.iconFile, e.iconIndex, pictureSize_)
                            : nullptr);
        // The collection copies the icon; a failure is cached like a success.
        return icon ? menuPictures_->AddIcon(icon.Get(), 0)
                    : ResourcePicture(IDB_DEFAULT_FOLDER, IDI_DEFAULT_FOLDER);
    });
}

LRESULT CMainFrame::OnMenuChar(WPARAM w, LPARAM l) {
    wchar_t typed = LOWORD(w);
    if (!IsWindowUnicode(hwnd_)) {
        // This window takes narrow messages: the letter comes in the process
        // code page, where only a one-byte character survives the trip.
        const char byte = static_cast<char>(typed & 0xFF);
        wchar_t wide = 0;
        typed =
            MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1 ? wide : 0;
    }
    const HMENU hmenu = reinterpret_cast<HMENU>(l);
    const LRESULT answer = menu::AnswerMenuChar(hmenu, typed);
    if (HIWORD(answer) == MNC_SELECT) {
        pendingSelection_ = {hmenu, LOWORD(answer), GetMenuItemCount(hmenu)};
        PostMessage(WM_MENU_SELECTION_CHECK);
    }
    return answer;
}

LRESULT CMainFrame::OnMenuSelectionCheck() {
    // Some systems (Wine) take MNC_SELECT for "no match" and leave the
    // selection where it was. The menu's own loop dispatches this message
    // after the key: if the item is not selected by then, the menu is moved
    // down one item at a time, as the Down key moves it, until it is; the
    // steps are bounded by the item count.
    PendingSelection& p = pendingSelection_;
    if (!activation_.MenuOpen() || !p.menu || !IsMenu(p.menu) ||
        menu::ItemSelected(p.menu, p.index) || p.stepsLeft-- <= 0) {
        p = PendingSelection();
        return 0;
    }
    HWND popup = menu::PopupWindowShowing(p.menu);
    if (!popup) {
        p = PendingSelection();
        return 0;
    }
    ::PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 1);
    PostMessage(WM_MENU_SELECTION_CHECK);
    return 0;
}

const CMainFrame::PreparedFavourites& CMainFrame::PrepareFavourites(POINT pt, int dpi) {
    // The width a title may take depends on the monitor the menu pops up on.
    int maxWidth = 0;
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoA(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi))
        maxWidth = (mi.rcWork.right - mi.rcWork.left) / 3;
    PreparedFavourites& p = favourites_;
    if (p.valid && p.dpi == dpi && p.maxWidth == maxWidth && SameFolders(p.folders, store_.folders))
        return p;
    UsePictureSize(SmallIconSizeForDpi(dpi));
    const TitleFitter fitter(pt, dpi);
    p.items.clear();
    p.items.reserve(store_.folders.size());
    p.paths.clear();
    p.paths.reserve(store_.folders.size());
    for (const auto& kv : store_.folders) {
        const FolderEntry& e = kv.second;
        p.items.push_back(
            {ID_FOLDER_FIRST + static_cast<UINT>(kv.first), fitter.Fit(e.title), PictureFor(e)});
        p.paths.push_back(e.path);
    }
    p.setupPicture = ResourcePicture(IDB_SETUP, IDI_SETUP);
    p.exitPicture = ResourcePicture(IDB_EXIT, IDI_EXIT);
    p.folders = store_.folders;
    p.dpi = dpi;
    p.maxWidth = maxWidth;
    p.valid = true;
    return p;
}

void CMainFrame::ForgetPreparedMenu() {
    favourites_.valid = false;
    // Made again at idle, so that the next showing finds it ready.
    if (hwnd_ && !prepareQueued_) {
        prepareQueued_ = true;
        PostMessage(WM_PREPARE_MENU);
    }
}

void CMainFrame::PrepareMenuAtIdle() {
    prepareQueued_ = false;
    if (activation_.MenuOpen()) return;
    FinishStartup();
    POINT pt = {};
    GetCursorPos(&pt);
    PrepareFavourites(pt, DpiForPoint(pt));
    folderChecker_.Warm();
}

void CMainFrame::ShowFolderMenu(CWnd target) {
    // The menu's own loop dispatches this window's messages while it is
    // open; every activation among them is then dropped (AcceptActivation).
    struct OpenFlag {
        CActivationRule& rule;
        explicit OpenFlag(CActivationRule& r) : rule(r) { rule.MenuOpened(); }
        ~OpenFlag() { rule.MenuClosed(); }
    } openFlag(activation_);
    FinishStartup();  // a first start with "/pop" gets here before the message loop
    // Measured for the monitor the menu pops up on, not for this hidden window.
    POINT pt = {};
    GetCursorPos(&pt);
    const int dpi = DpiForPoint(pt);
    // Items, titles and pictures are kept from one showing to the next; only
    // which folders exist is asked anew, within a bound.
    const PreparedFavourites& fav = PrepareFavourites(pt, dpi);
    folderChecker_.Start(fav.paths);

    CNewMenu menu(nullptr);
    menu.SetDpi(dpi);
    menu.Attach(::CreatePopupMenu());
    menu.SetTransparentColor(kBitmapMaskColor);
    // The open Explorer folders first, read afresh for every showing while
    // the existence checks run on their workers.
    if (store_.settings.showOpenFolders) {
        // Made for the first title only: with no Explorer open there is none.
        std::optional<TitleFitter> fitter;
        AppendOpenFolders(menu, target, [&](const std::string& t) {
            if (!fitter) fitter.emplace(pt, dpi);
            return fitter->Fit(t);
        });
    }

    // While the checks run: attached only when there is a target of another
    // thread; detached when the scope ends, after the target was put back in
    // front. A target busy with something else (or hung) gets no attachment:
    // with shared input, making our window the active one waits for the
    // target's thread, and the menu would wait with it.
    const bool answers = target && nav::SendToWindow(target.GetSafeHwnd(), WM_NULL, 0, 0, nullptr,
                                                     kAttachProbeMs) == nav::SendStatus::Answered;
    nav::InputAttachment input(answers ? target : CWnd());
    SetForegroundWindow();

    const std::vector<bool> shown = folderChecker_.Finish();

    for (size_t i = 0; i < fav.items.size(); ++i) {
        if (!shown[i]) continue;  // hidden, not removed
        const PreparedItem& item = fav.items[i];
        // The picture comes with the item: setting it afterwards by command
        // id searches the whole menu for every item, which made a long list
        // cost the square of its length. Ids are unique here, so the item
        // ends up the same.
        menu.AppendItem(0, item.id, item.title.c_str(), item.picture, menuPictures_.get());
    }
    if (!fav.items.empty()) menu.AppendItem(MF_SEPARATOR, 0, "", -1);
    // The two command pictures live in the window's own collection, which
    // loads each bitmap once: the toolkit's shared collection for a plain
    // item bitmap dies with every menu, and rebuilding its three images (normal,
    // dimmed, disabled) for both items cost about 10 ms per activation.
    menu.AppendItem(0, ID_SETUP, "Setup...", fav.setupPicture, menuPictures_.get());
    menu.AppendItem(0, ID_APP_EXIT_CMD, "Exit", fav.exitPicture, menuPictures_.get());

    pendingSelection_ = PendingSelection();
    menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, hwnd_);
    pendingSelection_ = PendingSelection();
    // A menu closed by a click elsewhere must not need a second click next time.
    PostMessage(WM_NULL);
    if (target) target.SetForegroundWindow();
}

}  // namespace vt
