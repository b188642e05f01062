// Text as the program holds it: narrow strings in the process code page.
// The application manifest makes that code page UTF-8 (Windows 10 1903 and
// later); older systems keep their ANSI code page, so conversions go through
// CP_ACP and never assume UTF-8.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Bytes for a path that the system writes into a narrow buffer: MAX_PATH
// UTF-16 units take up to three bytes each in UTF-8.
inline constexpr DWORD kPathBufferBytes = MAX_PATH * 3;  // 780

// Narrow (process code page) to UTF-16 and back. Characters the code page
// cannot hold come back as the code page's default character.
std::wstring ToWide(const std::string& narrow);
std::string ToNarrow(const std::wstring& wide);
// The first units of a UTF-16 buffer, up to its first zero or units, whichever
// comes first; a high surrogate cut off from its partner is dropped.
std::string ToNarrow(const wchar_t* wide, size_t units);

// The longest start of text of at most maxBytes bytes that ends between two
// characters of the code page (UTF-8 sequences and double-byte characters are
// never split).
size_t CharBoundaryAtOrBefore(const std::string& text, size_t maxBytes, UINT codePage = CP_ACP);
std::string CutAtCharBoundary(const std::string& text, size_t maxBytes, UINT codePage = CP_ACP);

// File names and window titles compared as the system compares file names:
// whole strings, letter case ignored in every script (ordinal, not by the
// rules of a language).
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// Lower-case hexadecimal digits of value, at least minDigits of them (zeros in
// front). Numbers are formatted by hand rather than with the printf family,
// whose formatting engines (narrow and wide, with floating point) are a large
// part of a statically linked program; decimal numbers use std::to_string.
std::string HexDigits(unsigned long value, int minDigits = 1);

}  // namespace vt
