// A popup menu whose first item is a title strip: the title in bold on a
// horizontal colour gradient (or a plain colour), drawn by the menu itself.
#pragma once
#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/menu.h"
#include "uikit/gradientaccess.h"

namespace vt {

class CTitleMenu : public CMenu {
public:
    // Binds GradientFill from the named library; a missing library or entry
    // point gives plain title strips.
    explicit CTitleMenu(const char* gradientLibrary = "msimg32.dll");
    // Deletes the font, frees the library and destroys the menu.
    ~CTitleMenu() override;

    // Inserts the title as the first item: owner-drawn, disabled, id 0.
    void AddTitle(const char* title);
    const std::string& Title() const { return title_; }
    HFONT TitleFont() const { return titleFont_.Get(); }
    bool HasGradientFill() const { return gradient_.HasGradientFill(); }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

private:
    // Declared first: the menu goes before the library it draws with.
    CGradientAccess gradient_;
    UniqueFont titleFont_;  // the menu font in bold
    std::string title_;

public:
    // The strip's colours; callers may change them after construction.
    COLORREF clRight;  // right end of the gradient
    COLORREF clLeft;   // left end, and the plain fill
    COLORREF clText;

    int drawEdge_ = 0;  // non-zero: an edge around the title
    UINT edgeType_ = BDR_SUNKENINNER;
};

}  // namespace vt
