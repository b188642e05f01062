// Whole-file reads and writes: a replaced file is whole or untouched, and a
// read is bounded.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/fileio.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

TEST(FileIo, AWriteReplacesTheFileWholeAndLeavesNothingBeside) {
    test::ScratchDir dir("fileio");
    const std::string file = dir.Path() + "\\Проекты list.reg";
    const std::string bytes("\xFF\xFE\0a\0b\r\n", 8);
    ASSERT_TRUE(WriteWholeFile(file, std::string(5000, 'x')));
    ASSERT_TRUE(WriteWholeFile(file, bytes));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(file, back, 1 << 20));
    EXPECT_EQ(back, bytes);  // the shorter content, zero bytes included, nothing of the longer
    EXPECT_EQ(GetFileAttributesA((file + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(WriteWholeFile(file, ""));
    ASSERT_TRUE(ReadWholeFile(file, back, 10));
    EXPECT_TRUE(back.empty());
}

TEST(FileIo, AFailedWriteKeepsTheOldFileAndAReadIsBounded) {
    test::ScratchDir dir("fileio");
    const std::string file = dir.Path() + "\\kept.reg";
    ASSERT_TRUE(WriteWholeFile(file, "old content"));
    // Held open without sharing by another handle: it cannot be replaced.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(file, "new content"));
    CloseHandle(held);
    std::string back;
    ASSERT_TRUE(ReadWholeFile(file, back, 100));
    EXPECT_EQ(back, "old content");
    EXPECT_EQ(GetFileAttributesA((file + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    // A file over the bound is refused and said to be too large.
    bool tooLarge = false;
    EXPECT_FALSE(ReadWholeFile(file, back, 5, &tooLarge));
    EXPECT_TRUE(tooLarge);
    EXPECT_TRUE(back.empty());
    // A missing file is not "too large".
    EXPECT_FALSE(ReadWholeFile(dir.Path() + "\\none.reg", back, 100, &tooLarge));
    EXPECT_FALSE(tooLarge);
    // Nor can a folder be written over.
    EXPECT_FALSE(WriteWholeFile(dir.MakeDir("folder"), "x"));
}

}  // namespace
