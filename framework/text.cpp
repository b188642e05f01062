#include "framework/text.h"

#include <cwchar>

namespace vt {

std::wstring ToWide(const std::string& narrow) {
    if (narrow.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), &wide[0], n);
    return wide;
}

std::string ToNarrow(const wchar_t* wide, size_t units) {
    if (!wide) return {};
    size_t len = wcsnlen(wide, units);
    // A buffer that the other side filled to the brim may end between the
    // two halves of a character.
    if (len > 0 && wide[len - 1] >= 0xD800 && wide[len - 1] <= 0xDBFF) --len;
    if (len == 0) return {};
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(len), &narrow[0], n, nullptr, nullptr);
    return narrow;
}

std::string ToNarrow(const std::wstring& wide) { return ToNarrow(wide.c_str(), wide.size()); }

size_t CharBoundaryAtOrBefore(const std::string& text, size_t maxBytes, UINT codePage) {
    if (text.size() <= maxBytes) return text.size();
    const UINT cp = codePage == CP_ACP ? GetACP() : codePage;
    if (cp == CP_UTF8) {
        // The byte after the cut must begin a character: step back over
        // continuation bytes (10xxxxxx) to the start of the one cut through.
        size_t n = maxBytes;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        return n;
    }
    CPINFO info = {};
    if (!GetCPInfo(cp, &info) || info.MaxCharSize < 2) return maxBytes;
    // Double-byte code pages: only a walk from the start tells lead bytes
    // from trail bytes.
    size_t pos = 0;
    while (pos < maxBytes) {
        const size_t len = IsDBCSLeadByteEx(cp, static_cast<BYTE>(text[pos])) ? 2 : 1;
        if (pos + len > maxBytes) break;
        pos += len;
    }
    return pos;
}

std::string CutAtCharBoundary(const std::string& text, size_t maxBytes, UINT codePage) {
    return text.substr(0, CharBoundaryAtOrBefore(text, maxBytes, codePage));
}

std::string HexDigits(unsigned long value, int minDigits) {
    char digits[2 * sizeof value];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string text(minDigits > n ? static_cast<size_t>(minDigits - n) : 0, '0');
    while (n > 0) text += digits[--n];
    return text;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::wstring wa = ToWide(a), wb = ToWide(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace vt
