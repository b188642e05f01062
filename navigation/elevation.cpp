#include "navigation/elevation.h"

#include "framework/handles.h"

namespace vt::nav {

namespace {

Elevation OfToken(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return Elevation::Unknown;
    const UniqueKernelHandle owned(token);
    TOKEN_ELEVATION e = {};
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenElevation, &e, sizeof e, &size) != FALSE;
    return ElevationFromToken(ok && size == sizeof e, e.TokenIsElevated);
}

}  // namespace

Elevation ElevationFromToken(bool queried, DWORD tokenIsElevated) {
    if (!queried) return Elevation::Unknown;
    return tokenIsElevated ? Elevation::Elevated : Elevation::NotElevated;
}

bool IsOutOfReach(Elevation target, Elevation self) {
    return target == Elevation::Elevated && self != Elevation::Elevated;
}

bool RefusalMeansOutOfReach(Elevation target, Elevation self) {
    return target != Elevation::NotElevated && self != Elevation::Elevated;
}

Elevation CTokenElevationCheck::OfProcess(DWORD pid) const {
    if (!pid) return Elevation::Unknown;
    // The limited right is granted even for an elevated process of the same
    // user, where the full query right is not.
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return process ? OfToken(process.Get()) : Elevation::Unknown;
}

Elevation CTokenElevationCheck::OfThisProcess() const { return OfToken(GetCurrentProcess()); }

}  // namespace vt::nav
