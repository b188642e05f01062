// A dialog template's initial control data: a resource of type RT_DLGINIT
// (240) with the template's id, holding records of control id, message and
// data, such as the strings of a drop-down list.
#pragma once
#include <windows.h>

#include <cstddef>

namespace vt {

inline constexpr WORD kRtDlgInit = 240;

// Sends every record of the resource to its control. False when a record is
// malformed or names a control the dialog lacks; no resource is not a failure.
bool ExecuteDlgInit(HWND dialog, HINSTANCE instance, UINT templateId);
// The same for data already in memory (size bytes).
bool ExecuteDlgInitData(HWND dialog, const BYTE* data, size_t size);

}  // namespace vt
