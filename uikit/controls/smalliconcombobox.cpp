#include "uikit/controls/smalliconcombobox.h"

#include "framework/dpi.h"

namespace vt {

CSmallIconComboBox::CSmallIconComboBox() {
    // Should the parent not pass the deletions on, the records still go with
    // the window; the deletions that follow then find no record.
    Table().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        const int count = GetCount();
        for (int i = 0; i < count; ++i) {
            FreeRecord(GetItemData(i));
            SetItemData(i, 0);
        }
        return Default();
    });
}

void CSmallIconComboBox::FreeRecord(ULONG_PTR data) {
    if (!IsRecord(data)) return;
    auto* item = reinterpret_cast<IconItem*>(data);
    if (item->icon) DestroyIcon(item->icon);
    delete item;
}

int CSmallIconComboBox::IconSize() const { return SmallIconSizeForDpi(DpiForWindow(hwnd_)); }

void CSmallIconComboBox::PreSubclassWindow() {
    CComboBox::PreSubclassWindow();
    SetItemHeight(-1, ItemHeight());
    SetItemHeight(0, ItemHeight());
}

int CSmallIconComboBox::AddRecord(IconItem* item) {
    const int index = AddString("");
    if (index >= 0 && SetItemData(index, reinterpret_cast<ULONG_PTR>(item)) != CB_ERR) return index;
    if (index >= 0) DeleteString(index);
    FreeRecord(reinterpret_cast<ULONG_PTR>(item));
    return -1;
}

int CSmallIconComboBox::AddIconItem(int id, HICON icon) {
    return AddRecord(new IconItem{icon, id, false});
}

int CSmallIconComboBox::AddDeferredIconItem(int id) {
    return AddRecord(new IconItem{nullptr, id, true});
}

HICON CSmallIconComboBox::IconOf(IconItem& item) const {
    if (item.pending) {
        item.pending = false;
        item.icon = loader_ ? loader_(item.id, IconSize()) : nullptr;
    }
    return item.icon;
}

int CSmallIconComboBox::AddResourceIconItem(UINT resourceId) {
    const int size = IconSize();
    auto icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    return icon ? AddIconItem(static_cast<int>(resourceId), icon) : -1;
}

int CSmallIconComboBox::ItemId(int index) const {
    const ULONG_PTR data = GetItemData(index);
    // CB_ERR, for no such item, is -1 too.
    return IsRecord(data) ? reinterpret_cast<IconItem*>(data)->id : 0;
}

HICON CSmallIconComboBox::ItemIcon(int index) const {
    const ULONG_PTR data = GetItemData(index);
    return IsRecord(data) ? IconOf(*reinterpret_cast<IconItem*>(data)) : nullptr;
}

bool CSmallIconComboBox::IconPending(int index) const {
    const ULONG_PTR data = GetItemData(index);
    return IsRecord(data) && reinterpret_cast<IconItem*>(data)->pending;
}

void CSmallIconComboBox::MeasureItem(MEASUREITEMSTRUCT* mis) {
    if (mis) mis->itemHeight = static_cast<UINT>(ItemHeight());
}

void CSmallIconComboBox::DrawItem(DRAWITEMSTRUCT* dis) {
    if (!dis || !dis->hDC) return;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (selected && (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
    else if (!selected && (dis->itemAction & ODA_SELECT))
        FillRect(dis->hDC, &dis->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The empty selection field has no item and no data of its own.
    if (dis->itemID == static_cast<UINT>(-1) || !IsRecord(dis->itemData)) return;
    auto* item = reinterpret_cast<IconItem*>(dis->itemData);
    const int size = IconSize();
    if (HICON icon = IconOf(*item))
        DrawIconEx(dis->hDC, dis->rcItem.left + 1, dis->rcItem.top + 1, icon, size, size, 0,
                   nullptr, DI_NORMAL);
}

void CSmallIconComboBox::DeleteItem(DELETEITEMSTRUCT* dis) {
    if (dis) FreeRecord(dis->itemData);
    CComboBox::DeleteItem(dis);
}

}  // namespace vt
