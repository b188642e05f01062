// An Explorer window's address bar, driven as a user drives it: into edit
// mode with the keyboard, the path in, Enter. Three builds of the bar:
// - the classic one (Wine, older Windows): combo box > Edit, always there;
// - Windows 10: "Address Band Root" shows a breadcrumb; its ComboBoxEx32 >
//   ComboBox > Edit exists, or is visible, only while the bar is edited
//   (after Ctrl+L, Alt+D, F4 or a click), and Enter does nothing before;
// - Windows 11: the bar is XAML content in the window's
//   "Microsoft.UI.Content.DesktopChildSiteBridge" child, with no Edit at all;
//   Ctrl+L or Alt+D focus it and only typed input reaches it.
#pragma once
#include <windows.h>

#include <string>

#include "framework/wnd.h"
#include "navigation/driver.h"
#include "navigation/recognise.h"

namespace vt::nav {

// How long a bar may take to show its edit, or take the focus, after the
// keys that open it.
inline constexpr DWORD kAddressBarOpenMs = 1500;

enum class AddressBarKind { None, Classic, Band, Xaml };

struct AddressBar {
    AddressBarKind kind = AddressBarKind::None;
    CWnd edit;  // Classic: the edit; Band: the edit if it exists (maybe hidden)
    CWnd host;  // Band: "Address Band Root"; Xaml: the bridge window
};

AddressBar FindAddressBar(DescendantClasses& tree);

// The edit inside a Windows 10 address band (ComboBoxEx32 > ComboBox > Edit),
// or none while the bar has not been edited yet.
CWnd AddressBandEdit(CWnd band);

// Drives the bar of target to path. Keys are typed only while target is the
// window in front, so that they can never land in another program; a bar that
// does not open in time is left alone. True when the path was entered.
bool DriveAddressBar(TargetDriver& driver, CWnd target, const AddressBar& bar,
                     const std::string& path);

}  // namespace vt::nav
