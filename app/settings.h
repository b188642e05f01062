// The options and the folder list in the registry:
//   HKCU\Software\Quorvane.\Vantrel\        the options, "Already Run", "Dir To Add"
//   HKCU\Software\Quorvane.\Vantrel\Entries "Count" and Path%d, Title%d, IconFile%d, IconIndex%d
// Positions 0..Count-1 follow the ascending key order at the time of the save.
#pragma once
#include <string>

#include "framework/registry.h"
#include "model/folderlist.h"

namespace vt {

// Registry value names.
namespace regname {
inline constexpr const char* kAction = "Action";
inline constexpr const char* kShowTray = "Show Tray";
inline constexpr const char* kShortcutType = "Shortcut Type";
inline constexpr const char* kWindowsKey = "Windows Key";
inline constexpr const char* kHotKeyVk = "Normal Hot Key Virtual Key";
inline constexpr const char* kHotKeyMod = "Normal Hot Key Modifier";
inline constexpr const char* kAlwaysNewExplorer = "Always New Explorer";
inline constexpr const char* kActivateRButton = "Activate on RButton down";
inline constexpr const char* kActivateWheel = "Activate on mouse wheel";
inline constexpr const char* kShowOpenFolders = "Show Open Folders";
inline constexpr const char* kAutoSwitch = "Auto Switch";
inline constexpr const char* kAlreadyRun = "Already Run";
inline constexpr const char* kDirToAdd = "Dir To Add";
// The combination last reported as held by another program (DWORD, system
// modifiers in the high word, virtual key in the low word): it is told once.
inline constexpr const char* kTakenShortcutTold = "Taken Shortcut Told";
inline constexpr const char* kEntries = "Entries";
inline constexpr const char* kCount = "Count";
}  // namespace regname

// Where one well-known folder comes from on the first run.
struct DefaultFolderSource {
    int csidl;  // -1: no special folder, only the "Shell Folders" value
    const char* shellFolderValue;
};
// Desktop, documents, pictures, music, video: the first-run list, in order.
extern const DefaultFolderSource kDefaultFolders[5];

// The options, the folder list and the stored count, with their registry
// format. The main window owns one and calls these from its own operations.
class CSettingsStore {
public:
    explicit CSettingsStore(CRegProfile profile) : profile_(std::move(profile)) {}

    // Reads the options with their defaults, then LoadFolderList.
    void LoadSettings();
    // Fills the (empty) list from "Entries", sets the stored count, seeds the
    // first run.
    void LoadFolderList();
    // Writes the whole list (deleting the tail of a shorter list) and every
    // option. False when any of it could not be written.
    bool SaveSettings();
    // Writes the three shortcut options alone ("Shortcut Type", the virtual
    // key and the modifier). False when any could not be written.
    bool SaveShortcut();
    // Appends one well-known folder without saving; nothing if neither the
    // shell nor the "Shell Folders" key knows it.
    void AddDefaultFolder(int csidl, const char* shellFolderValue);

    // With deferSystemIcons set, a load leaves the system image list indices
    // of "*** SIL ***" entries to ResolveSystemIcons (the shell's image list
    // is slow to build, and start-up should not wait for it).
    void ResolveSystemIcons();
    bool SystemIconsPending() const { return systemIconsPending_; }
    bool deferSystemIcons = false;

    // True when this load was the first run ("Already Run" was 0).
    bool FirstRun() const { return firstRun_; }

    // The taken combination the user was last told about, 0 for none.
    DWORD ReadTakenShortcutTold() const;
    void WriteTakenShortcutTold(DWORD packed) const;
    void ForgetTakenShortcutTold() const;

    // "Dir To Add": the folder handed over by a second start.
    std::string ReadDirToAdd() const;
    void WriteDirToAdd(const std::string& path) const;

    const CRegProfile& Profile() const { return profile_; }

    AppSettings settings;
    FolderList folders;
    int storedCount = 0;  // "Count" as of the last load or save

private:
    // Looks up a "*** SIL ***" entry's index afresh; the entry loses its icon
    // when the shell has no image for its path.
    static void ResolveSystemIcon(FolderEntry& e);

    CRegProfile profile_;
    bool systemIconsPending_ = false;
    bool firstRun_ = false;
};

}  // namespace vt
