// Whether a program runs as administrator. The system shields an elevated
// program from the messages of one that is not (its windows refuse them with
// access denied), so a navigation must know before it starts that the window
// in front is out of its reach, and say so instead of failing in silence.
#pragma once
#include <windows.h>

namespace vt::nav {

enum class Elevation {
    Unknown,      // the process or its token could not be opened
    NotElevated,  // runs with the user's ordinary rights
    Elevated,     // runs as administrator
};

// The question behind a small interface: the real answer needs tokens, which
// only Windows' own accounts give; tests answer it themselves.
class CElevationCheck {
public:
    virtual ~CElevationCheck() = default;
    virtual Elevation OfProcess(DWORD pid) const = 0;
    virtual Elevation OfThisProcess() const = 0;
};

// The token's own answer: OpenProcess with the least right that reads a
// token, OpenProcessToken, TokenElevation.
class CTokenElevationCheck : public CElevationCheck {
public:
    Elevation OfProcess(DWORD pid) const override;
    Elevation OfThisProcess() const override;
};

// The answer of a token query: whether it succeeded and the token's
// TokenIsElevated.
Elevation ElevationFromToken(bool queried, DWORD tokenIsElevated);

// A target is out of reach when it runs as administrator and Vantrel does
// not. A target whose rights cannot be read is tried: should the system
// refuse the messages after all, the refusal tells (SendStatus::Refused).
bool IsOutOfReach(Elevation target, Elevation self);
// Whether a message the system refused tells the same: only when the
// target's rights could not be read (or read as elevated) and Vantrel's are
// not elevated. Refusals have other causes too (Wine's explorer.exe refuses
// some messages to a program of its own rights), which are not that.
bool RefusalMeansOutOfReach(Elevation target, Elevation self);

}  // namespace vt::nav
