// The keyboard shortcut as the system registers it, and how the options
// record stores it. "Normal Hot Key Modifier" holds the hot-key control's
// bits (1 Shift, 2 Control, 4 Alt, 8 extended key); the control has no
// Windows key, so a stored combination that needs it carries kHotKeyWinBit,
// a bit the control never sets: every value stored before keeps its meaning.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "model/folderlist.h"

namespace vt {

inline constexpr WORD kHotKeyWinBit = 0x10;

// System modifiers (MOD_*) and virtual key; vk 0 means no shortcut.
struct Shortcut {
    UINT modifiers = 0;
    UINT vk = 0;
    bool operator==(const Shortcut& o) const { return modifiers == o.modifiers && vk == o.vk; }
    bool operator!=(const Shortcut& o) const { return !(*this == o); }
};

// System hot-key modifiers from the stored bits: Shift, Control, Alt and the
// Windows key; the extended-key bit (8) is dropped.
inline UINT HotKeyModifiersFromControl(WORD m) {
    UINT mods = 0;
    if (m & HOTKEYF_ALT) mods |= MOD_ALT;
    if (m & HOTKEYF_CONTROL) mods |= MOD_CONTROL;
    if (m & HOTKEYF_SHIFT) mods |= MOD_SHIFT;
    if (m & kHotKeyWinBit) mods |= MOD_WIN;
    return mods;
}

// The combination the options ask for; none for type 0, for type 2 without
// a key and for types nobody knows.
inline Shortcut ShortcutOf(const AppSettings& s) {
    if (s.shortcutType == ShortcutType::WindowsKey) {
        // The letter's character code is its virtual-key code.
        const int letter = s.windowsKey.empty() ? 0 : static_cast<signed char>(s.windowsKey[0]);
        return letter > 0 ? Shortcut{MOD_WIN, static_cast<UINT>(letter)} : Shortcut{};
    }
    if (s.shortcutType == ShortcutType::HotKey && s.normalHotKeyVirtualKey != 0)
        return {HotKeyModifiersFromControl(s.normalHotKeyModifier), s.normalHotKeyVirtualKey};
    return {};
}

// Stores a combination as an "other shortcut" (type 2): the control's bits,
// with kHotKeyWinBit for the Windows key.
inline void StoreShortcut(AppSettings& s, const Shortcut& k) {
    WORD m = 0;
    if (k.modifiers & MOD_SHIFT) m |= HOTKEYF_SHIFT;
    if (k.modifiers & MOD_CONTROL) m |= HOTKEYF_CONTROL;
    if (k.modifiers & MOD_ALT) m |= HOTKEYF_ALT;
    if (k.modifiers & MOD_WIN) m |= kHotKeyWinBit;
    s.shortcutType = ShortcutType::HotKey;
    s.normalHotKeyVirtualKey = static_cast<WORD>(k.vk);
    s.normalHotKeyModifier = m;
}

// A combination in one number, for the registry: modifiers in the high
// word, the virtual key in the low word.
inline DWORD PackShortcut(const Shortcut& k) {
    return (static_cast<DWORD>(k.modifiers & 0xFFFF) << 16) | (k.vk & 0xFFFF);
}

// What the first run tries when the Windows key + A is refused, in this
// order. The Windows 10 and 11 shell registers most Windows-key combinations
// for itself, but leaves the Windows key with Shift or with Ctrl and most
// letters; of those it takes Shift with C, M, R, S and Ctrl with C, D, F, N,
// O, Q, S. The same letter A comes first, so that the shortcut stays close to
// the one the documentation names; Shift before Ctrl, the lighter reach.
// Z is the other letter known to register beside the shell, and Ctrl+Shift
// with the Windows key is the last resort. Ctrl+Alt+letter is left out: it
// is AltGr on many keyboard layouts, which types characters.
inline constexpr Shortcut kFirstRunShortcuts[] = {
    {MOD_WIN, 'A'},
    {MOD_WIN | MOD_SHIFT, 'A'},
    {MOD_WIN | MOD_CONTROL, 'A'},
    {MOD_WIN | MOD_SHIFT, 'Z'},
    {MOD_WIN | MOD_CONTROL, 'Z'},
    {MOD_WIN | MOD_CONTROL | MOD_SHIFT, 'A'},
};

// The name of a key as a keyboard shows it: letters and digits as
// themselves, F1..F24, or the layout's own name for the key.
inline std::string KeyName(UINT vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
    if (vk >= VK_F1 && vk <= VK_F24) return "F" + std::to_string(vk - VK_F1 + 1);
    char name[64] = {};
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    if (scan && GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0) return name;
    char code[16];
    wsprintfA(code, "key %u", vk);
    return code;
}

// "Windows key + Shift + A": the combination as the user presses it.
inline std::string DescribeShortcut(const Shortcut& k) {
    std::string text;
    auto add = [&](const char* part) { text += text.empty() ? part : std::string(" + ") + part; };
    if (k.modifiers & MOD_WIN) add("Windows key");
    if (k.modifiers & MOD_CONTROL) add("Ctrl");
    if (k.modifiers & MOD_SHIFT) add("Shift");
    if (k.modifiers & MOD_ALT) add("Alt");
    add(KeyName(k.vk).c_str());
    return text;
}

}  // namespace vt
