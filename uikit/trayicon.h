// The notification-area (tray) icon: adds, hides, shows and removes one icon,
// turns its mouse notifications into menu actions, and puts the icon back
// when the taskbar is recreated ("TaskbarCreated"), which it learns through a
// CHookWnd on the owner's top-level window.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "framework/handles.h"
#include "framework/wnd.h"
#include "uikit/hookwnd.h"

namespace vt {

// The registered "TaskbarCreated" message, registered once at start-up.
extern const UINT WM_TASKBARCREATED;

class CTrayNotifyIcon;

// Watches the owner window for "TaskbarCreated" on behalf of one tray icon.
class CTrayIconHooker : public CHookWnd {
public:
    explicit CTrayIconHooker(CTrayNotifyIcon* icon) : trayIcon_(icon) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CTrayNotifyIcon* trayIcon_;  // not owned; the icon embeds this hooker
};

class CTrayNotifyIcon : public CObject {
public:
    CTrayNotifyIcon();
    // Removes the icon if it is in the tray and destroys the menu.
    ~CTrayNotifyIcon() override;
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;

    // Loads the menu resource menuId (iconId when menuId is 0) from the
    // program's module, hooks the owner's top-level window and adds the icon.
    // The tip is cut to what the structure holds (63 characters in the small
    // structure, 127 in the large one). The icon handle stays the caller's.
    // FALSE when the menu or its first submenu is missing (nothing added, not
    // hooked) or when the shell refuses the icon (the owner stays hooked, and
    // the next "TaskbarCreated" tries again).
    BOOL Create(const CWnd& owner, UINT iconId, const char* tip, HICON icon, UINT callbackMessage,
                UINT menuId = 0, BOOL largeStructure = FALSE);
    // Takes a shown icon out of the tray; the object keeps it for ShowIcon.
    void HideIcon();
    // Puts a hidden icon back into the tray.
    void ShowIcon();
    // Takes the icon out of the tray for good.
    void RemoveIcon();
    // A notice in a balloon beside the shown icon, which the shell closes by
    // itself; nothing waits for it. Title and text are cut to the shell's
    // fields (63 and 255 characters). FALSE when the icon is not shown or
    // the shell refuses the balloon.
    BOOL ShowBalloon(const char* title, const char* text);

    // The owner's handler of the callback message passes its parameters here.
    // A right-button release tracks the menu's first submenu (the owner gets
    // the command); a double-click sends the owner the first item's command.
    // Returns 0 for another icon's notification, else 1.
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    BOOL IsCreated() const { return created_; }
    BOOL IsHidden() const { return hidden_; }
    HMENU GetMenu() const { return menu_.Get(); }
    const NOTIFYICONDATAA& GetNotifyIconData() const { return iconData_; }

private:
    friend class CTrayIconHooker;
    // Deletes and re-adds a shown icon after the taskbar was recreated.
    void OnTaskbarCreated();
    HMENU GetSubMenu() const { return menu_ ? ::GetSubMenu(menu_.Get(), 0) : nullptr; }

    NOTIFYICONDATAA iconData_;  // zeroed at construction; room for the large form
    BOOL created_ = FALSE;      // the icon was added successfully
    BOOL hidden_ = FALSE;
    BOOL addPending_ = FALSE;  // Create's add was refused; retried on "TaskbarCreated"
    CWnd ownerWnd_;            // not owned
    CTrayIconHooker hooker_;   // points back to this object
    UniqueMenuHandle menu_;    // owned
};

// Icon resource id of the program's module at the small-icon size of the
// system DPI (16 x 16 at 96 DPI), or at the icon's default size when no image
// of that size can be made. Null when missing.
// The program keeps the icon for its lifetime.
HICON LoadTrayIcon(UINT resourceId);

}  // namespace vt
