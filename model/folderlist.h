// The favourite folders and the options, as every part of the program sees
// them. Their registry format and loading live in app/settings.h.
#pragma once
#include <windows.h>

#include <map>
#include <string>

namespace vt {

// Marker icon file: the icon index points into the shell's small system image list.
inline constexpr const char* kSystemImageListMarker = "*** SIL ***";

struct FolderEntry {
    std::string path;      // as the user gave it; may name a file
    std::string title;     // menu item text
    std::string iconFile;  // empty, an icon source file, or kSystemImageListMarker
    int iconIndex = -1;    // -1: none
};

// Key order is the order of the Setup list, the menu and the saved entries.
// Keys are 0..n-1 after a load; an added entry takes the largest key + 1.
using FolderList = std::map<int, FolderEntry>;

// Largest key + 1, or 0 for an empty list.
inline int NextFolderKey(const FolderList& list) {
    return list.empty() ? 0 : list.rbegin()->first + 1;
}

// The keyboard shortcut's kind; the numbers are what "Shortcut Type" stores.
// A stored number outside these is kept as it is and means no shortcut.
enum class ShortcutType : int {
    None = 0,        // no keyboard shortcut
    WindowsKey = 1,  // the Windows key with a letter ("Windows Key")
    HotKey = 2,      // the ordinary hot key ("Normal Hot Key ...")
};
inline ShortcutType ShortcutTypeFromStored(int stored) { return static_cast<ShortcutType>(stored); }
inline int StoredShortcutType(ShortcutType type) { return static_cast<int>(type); }

// The options; each field is stored under the value name in its comment.
struct AppSettings {
    int action = 0;        // "Action": 0 open, 1 explore (2 behaves as 0)
    bool showTray = true;  // "Show Tray"
    ShortcutType shortcutType = ShortcutType::WindowsKey;  // "Shortcut Type"
    std::string windowsKey = "A";       // "Windows Key": first character is the letter
    WORD normalHotKeyVirtualKey = 0;    // "Normal Hot Key Virtual Key"
    WORD normalHotKeyModifier = 0;      // "Normal Hot Key Modifier": 1 Shift 2 Ctrl 4 Alt 8 ext
    bool alwaysNewExplorer = false;     // "Always New Explorer"
    bool activateOnRButtonDown = true;  // "Activate on RButton down"
    bool activateOnMouseWheel = false;  // "Activate on mouse wheel"
    bool showOpenFolders = true;        // "Show Open Folders": Explorer's folders atop the menu
    bool autoSwitch = false;            // "Auto Switch": a file dialog follows Explorer
};

}  // namespace vt
