#include "uikit/menu/menuletters.h"

#include "framework/text.h"
#include "framework/wnd.h"
#include "uikit/menu/newmenu.h"

namespace vt::menu {

namespace {
constexpr wchar_t kEllipsis = 0x2026;

wchar_t Upper(wchar_t c) {
    wchar_t buf[1] = {c};
    CharUpperBuffW(buf, 1);  // the system's case mapping, every script
    return buf[0];
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

wchar_t AccessKeyOf(const std::string& title) {
    std::wstring w = ToWide(title.substr(0, title.find('\t')));
    wchar_t first = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        wchar_t c = w[i];
        if (c == L'&') {
            if (i + 1 >= w.size()) break;  // a trailing "&" marks nothing
            if (w[i + 1] != L'&') return Upper(w[i + 1]);
            ++i;  // "&&" draws one "&"
        }
        if (!first) first = c;
    }
    return first ? Upper(first) : 0;
}

LetterMatch MatchLetter(const std::vector<LetterItem>& items, int current, wchar_t typed) {
    if (!typed) return {LetterAction::None, -1};
    const wchar_t key = Upper(typed);
    std::vector<int> hits;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].choosable && AccessKeyOf(items[i].title) == key)
            hits.push_back(static_cast<int>(i));
    if (hits.empty()) return {LetterAction::None, -1};
    if (hits.size() == 1) return {LetterAction::Execute, hits[0]};
    for (int h : hits)
        if (h > current) return {LetterAction::Select, h};
    return {LetterAction::Select, hits[0]};
}

LRESULT AnswerMenuChar(HMENU hmenu, wchar_t typed) {
    auto* menu = dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(hmenu));
    if (!menu) return MAKELRESULT(0, MNC_IGNORE);
    const int count = GetMenuItemCount(hmenu);
    std::vector<LetterItem> items;
    int current = -1;
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
        LetterItem item{std::string(), false};
        if (GetMenuItemInfoA(hmenu, static_cast<UINT>(pos), TRUE, &mii)) {
            if (mii.fState & MFS_HILITE) current = pos;
            // Only data this menu made is read: another owner-drawn item's
            // data may be anything.
            const CNewMenuItemData* data = menu->FindOwnData(mii.dwItemData);
            const bool separator = (mii.fType & MFT_SEPARATOR) || (data && data->IsSeparator());
            const bool heading = data && (data->titleFlags_ & 1);
            if (data) item.title = data->text_;
            item.choosable = data && !separator && !heading && !(mii.fState & MFS_DISABLED);
        }
        items.push_back(std::move(item));
    }
    const LetterMatch m = MatchLetter(items, current, typed);
    switch (m.action) {
        case LetterAction::Execute:
            return MAKELRESULT(m.index, MNC_EXECUTE);
        case LetterAction::Select:
            return MAKELRESULT(m.index, MNC_SELECT);
        default:
            return MAKELRESULT(0, MNC_IGNORE);
    }
}

bool ItemSelected(HMENU menu, int pos) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE;
    return pos >= 0 && GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii) &&
           (mii.fState & MFS_HILITE);
}

namespace {
struct PopupSearch {
    HMENU menu;
    HWND found;
};

BOOL CALLBACK FindPopupOf(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<PopupSearch*>(l);
    if (HasWindowClass(w, "#32768") && IsWindowVisible(w) &&
        reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0)) == s->menu) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND PopupWindowShowing(HMENU menu) {
    PopupSearch search{menu, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindPopupOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string CutInMiddle(const std::string& title, int maxWidth,
                        const std::function<int(const std::wstring&)>& width) {
    const std::wstring w = ToWide(title);
    if (w.empty() || width(w) <= maxWidth) return title;
    auto candidate = [&w](size_t kept) {
        size_t head = (kept + 1) / 2, tail = kept / 2;
        if (head > 0 && IsHighSurrogate(w[head - 1])) --head;
        if (tail > 0 && IsLowSurrogate(w[w.size() - tail])) --tail;
        // An odd run of "&" at the end of the start would mark the ellipsis.
        size_t amps = 0;
        while (amps < head && w[head - 1 - amps] == L'&') ++amps;
        if (amps % 2) --head;
        std::wstring s = w.substr(0, head);
        s += kEllipsis;
        s += w.substr(w.size() - tail);
        return s;
    };
    // The longest cut that fits; widths grow with what is kept.
    size_t lo = 0, hi = w.size() - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (width(candidate(mid)) <= maxWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    return ToNarrow(candidate(lo));
}

}  // namespace vt::menu
