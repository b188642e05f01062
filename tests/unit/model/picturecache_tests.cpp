// The picture cache of the folder menu and the Setup list: one load per
// distinct icon, whatever the case of its path, failures included.
#include <gtest/gtest.h>

#include "framework/text.h"
#include "model/picturecache.h"

using namespace vt;

namespace {

FolderEntry WithIcon(const std::string& file, int index) { return {"C:\\f", "F", file, index}; }

TEST(PictureCache, EachDistinctIconIsLoadedOnceWhateverTheCaseOfItsPath) {
    CPictureCache cache;
    int loads = 0;
    auto load = [&loads] { return 3 * loads++; };
    const int a = cache.Get(IconCacheKey(WithIcon("C:\\Icons\\A.ico", 2)), load);
    const int b = cache.Get(IconCacheKey(WithIcon("c:\\icons\\a.ico", 2)), load);
    EXPECT_EQ(a, b);
    EXPECT_EQ(loads, 1);
    // Another index of the same file is another picture.
    const int c = cache.Get(IconCacheKey(WithIcon("C:\\Icons\\A.ico", 3)), load);
    EXPECT_NE(c, a);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(cache.Size(), 2u);
}

TEST(PictureCache, LettersBeyondAsciiCompareWithoutCaseToo) {
    // Built from UTF-16 so that the test holds in any process code page.
    const std::string upper = ToNarrow(L"C:\\\u00C9T\u00C9\\\u00C4.ICO");
    const std::string lower = ToNarrow(L"c:\\\u00E9t\u00E9\\\u00E4.ico");
    ASSERT_NE(upper, lower);
    EXPECT_EQ(IconCacheKey(WithIcon(upper, 1)), IconCacheKey(WithIcon(lower, 1)));
    EXPECT_EQ(IconCacheKey(WithIcon(upper, 1)), lower + ",1");
}

TEST(PictureCache, EntriesWithoutAnIconShareTheDefaultPicture) {
    CPictureCache cache;
    int loads = 0;
    auto load = [&loads] {
        ++loads;
        return 9;
    };
    EXPECT_EQ(IconCacheKey(WithIcon("", 4)), kDefaultIconKey);
    EXPECT_EQ(IconCacheKey(WithIcon("C:\\Icons\\A.ico", -1)), kDefaultIconKey);
    EXPECT_EQ(cache.Get(IconCacheKey(WithIcon("", 4)), load), 9);
    EXPECT_EQ(cache.Get(IconCacheKey(WithIcon("C:\\Icons\\A.ico", -1)), load), 9);
    EXPECT_EQ(loads, 1);
}

TEST(PictureCache, AFailureIsRememberedUntilTheCacheIsEmptied) {
    CPictureCache cache;
    int loads = 0;
    auto broken = [&loads] {
        ++loads;
        return -1;
    };
    const std::string key = IconCacheKey(WithIcon("C:\\gone.dll", 5));
    EXPECT_EQ(cache.Get(key, broken), -1);
    EXPECT_EQ(cache.Get(key, broken), -1);
    EXPECT_EQ(loads, 1) << "a broken file is not read at every showing";
    ASSERT_TRUE(cache.Find(key).has_value());
    EXPECT_EQ(*cache.Find(key), -1);

    cache.Clear();
    EXPECT_FALSE(cache.Find(key).has_value());
    EXPECT_EQ(cache.Get(key, [] { return 6; }), 6) << "read afresh after the cache was emptied";
    EXPECT_EQ(loads, 1);
}

TEST(PictureCache, RememberReplacesWhatAKeyHad) {
    CPictureCache cache;
    EXPECT_FALSE(cache.Find("#140").has_value());
    cache.Remember("#140", 12);
    cache.Remember("#140", 15);
    EXPECT_EQ(cache.Get("#140", [] { return 0; }), 15);
    EXPECT_EQ(cache.Size(), 1u);
}

}  // namespace
