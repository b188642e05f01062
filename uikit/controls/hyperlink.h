// A static text control of a dialog made into a web link: coloured by state,
// underlined, sized to its text, with the hand cursor, focusable, opened with
// the shell (or the ".htm" handler when the shell cannot open the address).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/handles.h"
#include "framework/static.h"

namespace vt {

class CqvHyperLink : public CStatic {
public:
    // Bits of LinkOptions.
    enum : int {
        kUnderline = 1,        // the text is underlined
        kUseHoverColour = 2,   // the hover colour is used while hovering
        kFitToText = 4,        // the control is resized to its text
        kOpenOnPress = 8,      // open on button press (else on release)
        kFocusOnPress = 16,    // a button press takes the focus
        kNoHandCursor = 32,    // the cursor is never changed
        kNoActiveColour = 64,  // the active colour is never used
    };

    struct Palette {
        COLORREF link;
        COLORREF active;
        COLORREF visited;
        COLORREF hover;
    };

    CqvHyperLink();
    ~CqvHyperLink() override;

    // Sets the window text (when the window exists) and refits the control.
    void SetCaption(const std::string& text);
    // Stores the address and refits the control when the window exists.
    void SetTarget(const std::string& address);
    const std::string& GetTarget() const { return target_; }
    Palette GetPalette() const { return palette_; }
    void SetPalette(const Palette& p);

    // Opens the stored address; a failure beeps and is reported.
    void OpenTarget();
    // Resizes the control to its text (only with kFitToText).
    void FitToText();

    // The colour the text is painted in now.
    COLORREF TextColour() const;
    bool IsHovering() const { return hover_ != 0; }
    bool IsActive() const { return active_ != 0; }
    bool IsVisited() const { return visited_ != 0; }
    HFONT LinkFont() const { return font_.Get(); }

    // Asks the shell to open the address; when it cannot, runs the ".htm"
    // handler's command line with the address. A result above 32 is success.
    static INT_PTR LaunchTarget(const std::string& address, int showCommand);
    // The ".htm" handler's command line cut before its "%1" (quoted or not),
    // then a space and the address.
    static std::string HandlerCommandLine(const std::string& command, const std::string& address);
    // The text of the failure message for a launch result.
    static std::string OpenFailureMessage(INT_PTR code);
    // Beeps and reports a failed launch.
    void ShowOpenFailure(INT_PTR code);

    // The hand cursor shared by every link, loaded on first need; null when
    // the system has none.
    static HCURSOR LoadLinkCursor();

    int LinkOptions = kUnderline | kFitToText | kFocusOnPress;

    // How the address is launched and how a failure is told; LaunchTarget and
    // a plain exclamation message box unless replaced (tests replace them).
    std::function<INT_PTR(const std::string&, int)> launch;
    std::function<void(const std::string&)> reportFailure;

protected:
    void PreSubclassWindow() override;
    bool OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;

private:
    LRESULT OnSetCursor();
    void OnMouseMove(POINT pt);
    void OnLButtonDown();
    void OnLButtonUp();
    void Repaint(bool erase = false) const;

    Palette palette_;
    int active_ = 0;
    int hover_ = 0;
    int visited_ = 0;
    std::string target_;
    UniqueFont font_;  // owned: the dialog font with the link's underline
};

}  // namespace vt
