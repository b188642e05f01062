// Whether an activation may pop the folder menu now, as plain decisions: the
// main window tells the rule when its menu and its dialogs open and close,
// and asks it at every gesture. No window is needed to check it.
#pragma once
#include <windows.h>

#include <functional>

#include "model/folderlist.h"

namespace vt {

// The gestures that pop the folder menu.
enum class ActivationTrigger {
    HotKey,           // WM_HOTKEY
    PopCommand,       // command 32777, "/pop"
    TrayIcon,         // a button released on the tray icon
    HookRightButton,  // the hook library's right button on a caption button
    HookWheel,        // the hook library's wheel turn
};

// What an activation does.
enum class ActivationVerdict {
    PopMenu,      // go on (a hook gesture still checks the window in front)
    Ignore,       // nothing: the gesture is off, or the open menu keeps its target
    RaiseDialog,  // a dialog of Vantrel is open: it comes to the front instead
};

// The kinds of window in front that the mouse gestures look for.
enum class FrontWindowKind { Explorer, FileDialog, BrowseForFolder, SnakeList };

// Hit-test codes of the caption buttons that the right-click gesture accepts.
bool IsCaptionButtonHit(LRESULT hit);

class CActivationRule {
public:
    // The menu is open from the start of its showing to its return; the
    // menu's own loop dispatches activations meanwhile.
    void MenuOpened() { menuOpen_ = true; }
    void MenuClosed() { menuOpen_ = false; }
    bool MenuOpen() const { return menuOpen_; }
    // Modal dialogs of Vantrel (message boxes, Setup, the folder editor);
    // nested ones count too.
    void DialogOpened() { ++openDialogs_; }
    void DialogClosed() { --openDialogs_; }
    bool DialogOpen() const { return openDialogs_ > 0; }
    // A menu or a dialog is open: what is to be told waits.
    bool Busy() const { return MenuOpen() || DialogOpen(); }

    // The decision for a gesture with these options: a mouse gesture the
    // options turn off is ignored before anything else; then the open menu
    // drops every activation, and an open dialog is raised instead.
    ActivationVerdict Decide(ActivationTrigger trigger, const AppSettings& options) const;

    // Whether the window in front is one the gesture pops the menu over.
    // is(kind) is asked in a fixed order, and no further once one fits:
    // the right button takes Explorer windows, file dialogs, folder
    // browsers and snake-list dialogs; the wheel the same but Explorer;
    // the other gestures take any window.
    static bool AcceptsFrontWindow(ActivationTrigger trigger,
                                   const std::function<bool(FrontWindowKind)>& is);

private:
    bool menuOpen_ = false;
    int openDialogs_ = 0;
};

}  // namespace vt
