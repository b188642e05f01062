// Typed letters in an owner-drawn menu, and titles too wide for one. The
// system matches letters only against the text of items it draws itself, and
// sizes an owner-drawn item by whatever width it is told: both are answered
// here, the decisions in plain functions.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vt::menu {

// One menu position as the letter matching sees it.
struct LetterItem {
    std::string title;  // as drawn: "&" marks the access key, "&&" is one "&"
    bool choosable;     // false for separators, headings and disabled items
};

enum class LetterAction { None, Select, Execute };

struct LetterMatch {
    LetterAction action;
    int index;  // position in the menu; -1 with None
};

// The character an item answers to, as one UTF-16 unit in upper case: the
// one after a single "&", else the title's first; 0 when there is none.
wchar_t AccessKeyOf(const std::string& title);

// A typed letter against the menu's items, letter case ignored: one item
// answering to it is chosen at once; several are selected in turn after the
// current selection (-1 = none), wrapping round.
LetterMatch MatchLetter(const std::vector<LetterItem>& items, int current, wchar_t typed);

// The answer to WM_MENUCHAR for one of our owner-drawn popups (lParam of the
// message); a menu that is not ours gets MNC_IGNORE.
LRESULT AnswerMenuChar(HMENU menu, wchar_t typed);

// Whether the item at this position is the menu's selection.
bool ItemSelected(HMENU menu, int pos);
// The popup window of this thread that shows the menu, or null.
HWND PopupWindowShowing(HMENU menu);

// A title no wider than maxWidth: a wider one keeps its start and its end
// around an ellipsis, as much of both as fits. width measures UTF-16 text as
// it will be drawn. Surrogate pairs stay whole, and no "&" is left to turn
// the ellipsis into an access key.
std::string CutInMiddle(const std::string& title, int maxWidth,
                        const std::function<int(const std::wstring&)>& width);

}  // namespace vt::menu
