// Letters typed in the folder menu and titles cut to fit it, as plain
// functions: the titles are the menu's, the widths come from a callback.
#include <gtest/gtest.h>

#include "framework/text.h"
#include "uikit/menu/menuletters.h"

using namespace vt::menu;

namespace {

LetterItem Item(const char* title) { return {title, true}; }
LetterItem Unchoosable(const char* title) { return {title, false}; }

TEST(MenuLetters, AccessKeyIsAfterASingleAmpersandElseTheFirstCharacter) {
    EXPECT_EQ(AccessKeyOf("projects"), L'P');
    EXPECT_EQ(AccessKeyOf("Pro&jects"), L'J');
    EXPECT_EQ(AccessKeyOf("&&Co"), L'&');             // "&&" is drawn as one "&"
    EXPECT_EQ(AccessKeyOf("Tom && &Jerry"), L'J');    // a pair marks nothing
    EXPECT_EQ(AccessKeyOf("Reports\tCtrl+P"), L'R');  // the accelerator is not the title
    EXPECT_EQ(AccessKeyOf("Odd&"), L'O');             // a trailing "&" marks nothing
    EXPECT_EQ(AccessKeyOf(""), 0);
    // UTF-8 titles, upper-cased by the system: "ärger", "жёлтый".
    EXPECT_EQ(AccessKeyOf("\xC3\xA4rger"), L'\x00C4');
    EXPECT_EQ(AccessKeyOf("&\xD0\xB6\xD1\x91\xD0\xBB"), L'\x0416');
}

TEST(MenuLetters, OneMatchIsChosenAtOnceWhateverTheCase) {
    const std::vector<LetterItem> items = {Item("Documents"), Item("projects"), Item("Music")};
    LetterMatch m = MatchLetter(items, -1, L'P');
    EXPECT_EQ(m.action, LetterAction::Execute);
    EXPECT_EQ(m.index, 1);
    m = MatchLetter(items, 0, L'm');
    EXPECT_EQ(m.action, LetterAction::Execute);
    EXPECT_EQ(m.index, 2);
    EXPECT_EQ(MatchLetter(items, 1, L'x').action, LetterAction::None);
    EXPECT_EQ(MatchLetter(items, 1, 0).action, LetterAction::None);
    EXPECT_EQ(MatchLetter({}, -1, L'p').action, LetterAction::None);
}

TEST(MenuLetters, SeveralMatchesAreSelectedInTurnAndWrap) {
    const std::vector<LetterItem> items = {Item("Pictures"), Item("Documents"), Item("Projects"),
                                           Item("public")};
    int current = -1;
    const int expected[] = {0, 2, 3, 0, 2};
    for (int want : expected) {
        const LetterMatch m = MatchLetter(items, current, L'p');
        EXPECT_EQ(m.action, LetterAction::Select);
        EXPECT_EQ(m.index, want);
        current = m.index;
    }
    // From a selection on another item the next match after it comes.
    EXPECT_EQ(MatchLetter(items, 1, L'P').index, 2);
}

TEST(MenuLetters, HeadingsSeparatorsAndDisabledItemsAreNeverChosen) {
    // The heading and the separator would match: only one real item does.
    const std::vector<LetterItem> items = {Unchoosable("Places"), Item("Reports"), Unchoosable(""),
                                           Item("P&rojects")};
    LetterMatch m = MatchLetter(items, -1, L'p');
    EXPECT_EQ(m.action, LetterAction::None);  // "P&rojects" answers to R, not P
    m = MatchLetter(items, -1, L'r');
    EXPECT_EQ(m.action, LetterAction::Select);
    EXPECT_EQ(m.index, 1);
    EXPECT_EQ(MatchLetter(items, 1, L'r').index, 3);
    const std::vector<LetterItem> one = {Unchoosable("Pictures"), Item("Projects")};
    m = MatchLetter(one, 0, L'P');
    EXPECT_EQ(m.action, LetterAction::Execute);
    EXPECT_EQ(m.index, 1);
}

TEST(MenuLetters, NonAsciiLettersMatchInEitherCase) {
    // "Жёлтый", "журнал", "Ärger".
    const std::vector<LetterItem> items = {Item("\xD0\x96\xD1\x91\xD0\xBB\xD1\x82\xD1\x8B\xD0\xB9"),
                                           Item("\xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB"),
                                           Item("\xC3\x84rger")};
    LetterMatch m = MatchLetter(items, -1, L'\x0436');  // typed "ж"
    EXPECT_EQ(m.action, LetterAction::Select);
    EXPECT_EQ(m.index, 0);
    EXPECT_EQ(MatchLetter(items, 0, L'\x0416').index, 1);
    m = MatchLetter(items, -1, L'\x00E4');  // typed "ä"
    EXPECT_EQ(m.action, LetterAction::Execute);
    EXPECT_EQ(m.index, 2);
}

// Ten pixels per UTF-16 unit: easy to reason about, and wide as drawn.
int TenPerUnit(const std::wstring& s) { return static_cast<int>(s.size()) * 10; }

TEST(MenuTitleCut, ShortTitlesAreKeptAndLongOnesKeepBothEnds) {
    EXPECT_EQ(CutInMiddle("Reports", 70, TenPerUnit), "Reports");
    EXPECT_EQ(CutInMiddle("", 0, TenPerUnit), "");

    const std::string longTitle = "Projects\\" + std::string(3000, 'x') + "\\Reports";
    const std::wstring cut = vt::ToWide(CutInMiddle(longTitle, 200, TenPerUnit));
    // 20 units fit: 10 of the start, the ellipsis, 9 of the end.
    EXPECT_EQ(cut, L"Projects\\x\x2026x\\Reports") << vt::ToNarrow(cut);
    EXPECT_LE(TenPerUnit(cut), 200);

    // Nothing but the ellipsis fits, or not even that.
    EXPECT_EQ(vt::ToWide(CutInMiddle(longTitle, 15, TenPerUnit)), L"\x2026");
    EXPECT_EQ(vt::ToWide(CutInMiddle(longTitle, 5, TenPerUnit)), L"\x2026");
}

TEST(MenuTitleCut, SurrogatePairsAndAccessKeysStayWhole) {
    // 100 times U+1F4C1 (a folder picture): two units each.
    std::string folders;
    for (int i = 0; i < 100; ++i) folders += "\xF0\x9F\x93\x81";
    for (int width = 20; width <= 120; width += 10) {
        const std::wstring cut = vt::ToWide(CutInMiddle(folders, width, TenPerUnit));
        ASSERT_LE(TenPerUnit(cut), width);
        for (size_t i = 0; i < cut.size(); ++i) {
            if (cut[i] >= 0xD800 && cut[i] <= 0xDBFF) {
                ASSERT_LT(i + 1, cut.size()) << "width " << width;
                ASSERT_TRUE(cut[i + 1] >= 0xDC00 && cut[i + 1] <= 0xDFFF) << "width " << width;
                ++i;
            } else {
                ASSERT_EQ(cut[i], L'\x2026') << "lone unit at " << i << ", width " << width;
            }
        }
    }
    // The start would end on a single "&", which would underline the ellipsis.
    const std::wstring cut =
        vt::ToWide(CutInMiddle("abc&" + std::string(50, 'z') + "end", 70, TenPerUnit));
    EXPECT_EQ(cut,
              L"abc\x2026"
              L"end");
    // A pair is kept: it draws as one "&".
    EXPECT_EQ(vt::ToWide(CutInMiddle("ab&&" + std::string(50, 'z') + "end", 90, TenPerUnit)),
              L"ab&&\x2026zend");
}

}  // namespace
