// A dialog's group heading: a static control whose text is drawn in bold and
// followed by a separator line (a CSeparator child, id 0xFFFF) that fills the
// rest of the control's width.
#pragma once
#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/static.h"
#include "uikit/controls/separator.h"
#include "uikit/theme.h"

namespace vt {

class CStaticSeparator : public CStatic {
public:
    static constexpr UINT kLineId = 0xFFFF;

    explicit CStaticSeparator(const CThemeAccess& theme = Theme());

    // The line window, or null while the heading has no text.
    CWnd Line() const { return CWnd(line_.hwnd_); }
    HFONT BoldFont() const { return boldFont_.Get(); }

protected:
    // Makes the bold font and the line.
    void PreSubclassWindow() override;
    // Puts the line after the text; an empty text has no line.
    void LayOutLine();

private:
    void MakeBoldFont();
    void Redraw() const;
    LRESULT OnSize(LPARAM size);

    UniqueFont boldFont_;        // owned; the control's font while it lives
    CSeparator line_;            // child window of the control
    int width_ = 0;              // control width when the line was last laid out
    const CThemeAccess& theme_;  // not owned
};

// The text a static control shows for its window text: without the '&' that
// marks a mnemonic (a doubled one stands for itself), unless the control has
// the no-prefix style.
std::string DisplayedStaticText(const std::string& text, bool noPrefix);

}  // namespace vt
