// The icon picker: an owner-drawn, fixed-height drop-down list whose items
// show one small icon each and no text. Each item owns its icon; deleting
// the item (or emptying the box) destroys it.
#pragma once
#include <windows.h>

#include <functional>

#include "framework/combobox.h"

namespace vt {

class CSmallIconComboBox : public CComboBox {
public:
    CSmallIconComboBox();

    // Appends an item showing icon; the box takes ownership of the icon
    // (destroyed at once when the item cannot be added). The new item's
    // index, or -1.
    int AddIconItem(int id, HICON icon);
    // Appends the program's icon resource at the small-icon size; -1 (and
    // no item) when the resource cannot be loaded.
    int AddResourceIconItem(UINT resourceId);

    // Appends an item whose icon the loader makes when the item is first
    // shown (a file of hundreds of icons costs only those the user sees).
    // The item owns that icon like any other.
    using IconLoader = std::function<HICON(int id, int size)>;
    int AddDeferredIconItem(int id);
    void SetIconLoader(IconLoader loader) { loader_ = std::move(loader); }

    // The id and the icon of an item (0 and null for none). ItemIcon makes
    // a deferred icon now.
    int ItemId(int index) const;
    HICON ItemIcon(int index) const;
    // Whether an item's deferred icon is still to be made.
    bool IconPending(int index) const;

    // The picture size and the item height at the box's DPI: the small-icon
    // size and two pixels more (16 and 18 at 96 DPI).
    int IconSize() const;
    int ItemHeight() const { return IconSize() + 2; }

    void DrawItem(DRAWITEMSTRUCT* dis) override;
    void MeasureItem(MEASUREITEMSTRUCT* mis) override;
    void DeleteItem(DELETEITEMSTRUCT* dis) override;

protected:
    // Gives the selection field and the items their height.
    void PreSubclassWindow() override;

private:
    struct IconItem {
        HICON icon;  // owned
        int id;
        bool pending;  // the loader has not been asked yet
    };
    static bool IsRecord(ULONG_PTR data) { return data != 0 && data != static_cast<ULONG_PTR>(-1); }
    static void FreeRecord(ULONG_PTR data);
    int AddRecord(IconItem* item);
    // The record's icon, made by the loader if it is still pending.
    HICON IconOf(IconItem& item) const;

    IconLoader loader_;
};

}  // namespace vt
