// Text as the program holds it: narrow strings in the process code page.
// Conversions go through CP_ACP and never assume UTF-8.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Bytes for a path that the system writes into a narrow buffer: MAX_PATH
// UTF-16 units take up to three bytes each in UTF-8.
inline constexpr DWORD kPathBufferBytes = MAX_PATH * 3;  // 780

// Narrow (process code page) to UTF-16 and back.
std::wstring ToWide(const std::string& narrow);
std::string ToNarrow(const std::wstring& wide);

}  // namespace vt
