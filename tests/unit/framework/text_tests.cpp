// Narrow text in the process code page: cutting it without splitting a
// character, converting it for other programs' windows, comparing names.
#include <gtest/gtest.h>

#include "framework/text.h"

using namespace vt;

namespace {

// "Про" + "日" + U+1F3B5 in UTF-8: 2-byte, 3-byte and 4-byte sequences.
const std::string kMixedUtf8 =
    "\xD0\x9F\xD1\x80\xD0\xBE"
    "\xE6\x97\xA5"
    "\xF0\x9F\x8E\xB5";

TEST(Text, Utf8IsCutOnlyBetweenCharacters) {
    // Boundaries of kMixedUtf8: 0 2 4 6 9 13.
    const size_t want[] = {0, 0, 2, 2, 4, 4, 6, 6, 6, 9, 9, 9, 9, 13, 13};
    for (size_t max = 0; max < sizeof want / sizeof want[0]; ++max)
        EXPECT_EQ(CharBoundaryAtOrBefore(kMixedUtf8, max, CP_UTF8), want[max]) << "max " << max;
    EXPECT_EQ(CutAtCharBoundary(kMixedUtf8, 12, CP_UTF8), kMixedUtf8.substr(0, 9));
    EXPECT_EQ(CutAtCharBoundary("plain", 3, CP_UTF8), "pla");
}

TEST(Text, DoubleByteCodePagesAreWalkedFromTheStart) {
    // Shift-JIS "a" + U+8868 (0x95 0x5C: its trail byte is a backslash) + "b".
    const std::string sjis =
        "a\x95\x5C"
        "b";
    EXPECT_EQ(CharBoundaryAtOrBefore(sjis, 2, 932), 1u);
    EXPECT_EQ(CharBoundaryAtOrBefore(sjis, 3, 932), 3u);
    // A single-byte code page may be cut anywhere.
    EXPECT_EQ(CharBoundaryAtOrBefore(sjis, 2, 1252), 2u);
}

TEST(Text, AHalfCharacterAtTheEndOfAFilledBufferIsDropped) {
    const wchar_t full[] = {L'a', 0xD83C, 0xDFB5, L'b'};
    // The other side filled three units: the note's second half is missing.
    const std::string cut = ToNarrow(full, 2);
    EXPECT_EQ(cut, "a");
    // Conversion stops at the first zero within the given units.
    const wchar_t zero[] = {L'x', 0, L'y'};
    EXPECT_EQ(ToNarrow(zero, 3), "x");
    EXPECT_EQ(ToNarrow(nullptr, 5), "");
}

}  // namespace

// The test programs carry the program's manifest: narrow text is UTF-8.
TEST(Text, AnyScriptGoesToUtf16AndBack) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    const std::wstring wide = ToWide(kMixedUtf8);
    EXPECT_EQ(wide, std::wstring(L"\u041F\u0440\u043E\u65E5") + L"\xD83C\xDFB5");
    EXPECT_EQ(ToNarrow(wide), kMixedUtf8);
    EXPECT_EQ(ToWide(""), L"");
    EXPECT_EQ(ToNarrow(std::wstring()), "");
}

TEST(Text, NamesCompareWithoutCaseInEveryScript) {
    EXPECT_TRUE(EqualsIgnoreCase("C:\\Windows\\Explorer.EXE", "c:\\windows\\explorer.exe"));
    // "Рабочий стол" against its capitals, Greek likewise.
    EXPECT_TRUE(EqualsIgnoreCase("\xD0\xA0\xD0\xB0\xD0\xB1\xD0\xBE\xD1\x87\xD0\xB8\xD0\xB9",
                                 "\xD0\xA0\xD0\x90\xD0\x91\xD0\x9E\xD0\xA7\xD0\x98\xD0\x99"));
    EXPECT_TRUE(EqualsIgnoreCase("\xCE\xB1\xCE\xB2", "\xCE\x91\xCE\x92"));  // αβ, ΑΒ
    // Whole names only, and letters stay letters: no language's special rules.
    EXPECT_FALSE(EqualsIgnoreCase("explorer.exe", "explorer.ex"));
    EXPECT_FALSE(
        EqualsIgnoreCase("stra\xC3\x9F"
                         "e",
                         "STRASSE"));                        // straße
    EXPECT_FALSE(EqualsIgnoreCase("\xD0\x95", "\xD0\x81"));  // Е is not Ё
    EXPECT_TRUE(EqualsIgnoreCase("", ""));
}

TEST(Text, HexDigitsArePaddedInFrontAndNeverCut) {
    EXPECT_EQ(HexDigits(0), "0");
    EXPECT_EQ(HexDigits(0, 8), "00000000");
    EXPECT_EQ(HexDigits(0x5, 2), "05");
    EXPECT_EQ(HexDigits(0xAB, 2), "ab");
    // More digits than asked for: all of them, the highest first.
    EXPECT_EQ(HexDigits(0x1A2B3, 2), "1a2b3");
    EXPECT_EQ(HexDigits(0x80000000UL, 8), "80000000");
    EXPECT_EQ(HexDigits(0xFFFFFFFFUL), "ffffffff");
    EXPECT_EQ(HexDigits(0x10, 0), "10");
}
