// Icon sources against Wine's real shell, registry and image lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "shell/iconsources.h"
#include "shell/systemimagelist.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "support/testsupport.h"

#include <vector>

using namespace vt;

namespace {

const std::string kSil = "*** SIL ***";

// Colours of the test icons (see data/make_icons.py) as GetPixel reports them.
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0);

std::string TestDll() { return test::BinDir() + "\\vt_test_icons.dll"; }
std::string TestIco() { return test::BinDir() + "\\vt_test_red.ico"; }

std::string Upper(std::string s) {
    CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}
std::string Lower(std::string s) {
    CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

struct IconLook {
    SIZE size{};
    COLORREF centre = CLR_INVALID;
};

IconLook LookAt(HICON icon) {
    IconLook look;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return look;
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(colour.Get(), sizeof bm, &bm);
    look.size = SIZE{bm.bmWidth, bm.bmHeight};
    UniqueMemDC dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), colour.Get());
    look.centre = GetPixel(dc.Get(), bm.bmWidth / 2, bm.bmHeight / 2);
    return look;
}

// The colour pixels of an icon, for telling two icons apart exactly.
std::vector<BYTE> PixelsOf(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return {};
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(colour.Get(), sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<BYTE> bits(static_cast<size_t>(bm.bmWidth) * bm.bmHeight * 4);
    UniqueMemDC dc(CreateCompatibleDC(nullptr));
    GetDIBits(dc.Get(), colour.Get(), 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
    return bits;
}

struct ShellLocation {
    bool found = false;
    std::string file;
    int index = -1;
};

ShellLocation ShellIconLocation(const std::string& path) {
    SHFILEINFOA info{};
    info.iIcon = -1;
    ShellLocation loc;
    loc.found = SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) &&
                info.szDisplayName[0];
    loc.file = info.szDisplayName;
    loc.index = info.iIcon;
    return loc;
}

// The user's documents folder as the shell reports it, with its system image
// list index looked up through its identifier list.
struct DocumentsFolder {
    std::string path;
    int index = -1;
};

DocumentsFolder Documents() {
    DocumentsFolder docs;
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &pidl))) return docs;
    char buf[MAX_PATH] = {};
    if (SHGetPathFromIDListA(pidl, buf)) docs.path = buf;
    SHFILEINFOA info{};
    if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_LINKOVERLAY))
        docs.index = info.iIcon;
    CoTaskMemFree(pidl);
    return docs;
}

class IconSources : public testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        ComputeIconReferenceValues(test::BinDir());
    }
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST(IconLocationText, SplitsAtTheLastCommaAndCleansTheFile) {
    struct Case {
        const char* text;
        const char* file;
        int index;
    } cases[] = {
        {"C:\\x\\a.dll,-152", "C:\\x\\a.dll", -152},
        {"C:\\x\\a.dll", "C:\\x\\a.dll", 0},
        {"  C:\\x\\a.dll ,3", "C:\\x\\a.dll", 3},
        {"\"C:\\a b\\a.dll\",4", "C:\\a b\\a.dll", 4},
        {"C:\\a,b\\c.dll,7", "C:\\a,b\\c.dll", 7},  // a folder name with a comma
        {"", "", 0},
    };
    for (const Case& c : cases) {
        std::string file = "junk";
        int index = 99;
        EXPECT_TRUE(ParseIconLocation(c.text, file, index)) << c.text;
        EXPECT_EQ(file, c.file) << c.text;
        EXPECT_EQ(index, c.index) << c.text;
    }
    std::string file;
    int index = 0;
    EXPECT_TRUE(ParseIconLocation(std::string(1020, 'a') + ",1", file, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(ParseIconLocation(std::string(1022, 'a') + ",1", file, index));
}

TEST(IconLocationText, ExpandsVariablesOnlyWhenTheResultFits) {
    ASSERT_TRUE(SetEnvironmentVariableA("VT_ICON_SHORT", "C:\\icons"));
    ASSERT_TRUE(SetEnvironmentVariableA("VT_ICON_LONG", std::string(1100, 'x').c_str()));
    std::string out = "unchanged";
    EXPECT_TRUE(ExpandIconPath("%VT_ICON_SHORT%\\a.dll", out));
    EXPECT_EQ(out, "C:\\icons\\a.dll");
    out = "unchanged";
    EXPECT_FALSE(ExpandIconPath("%VT_ICON_LONG%\\a.dll", out));
    EXPECT_EQ(out, "unchanged");
    SetEnvironmentVariableA("VT_ICON_SHORT", nullptr);
    SetEnvironmentVariableA("VT_ICON_LONG", nullptr);
}

TEST(DefaultIconFile, IsTheSystemFoldersShell32) {
    char sys[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryA(sys, sizeof sys), 0u);
    const std::string file = GetDefaultIconFile();
    EXPECT_EQ(Lower(file), Lower(std::string(sys) + "\\shell32.dll"));
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IconSources, ExeAndIcoPathsNameThemselvesWhetherOrNotTheyExist) {
    test::ScratchDir dir("vticon");
    const std::string paths[] = {
        test::BinPath("icon_tests.exe"),
        dir.Path() + "\\missing\\Tool.EXE",
        dir.Path() + "\\PICTURE.ICO",
        TestIco(),
    };
    for (const std::string& path : paths) {
        std::string file;
        int index = -5;
        EXPECT_TRUE(FindDefaultIcon(path, file, index)) << path;
        EXPECT_EQ(file, path);
        EXPECT_EQ(index, 0);
    }
    // A folder that happens to be named like a program is still a folder.
    const std::string folder = dir.MakeDir("tools.exe");
    std::string file = "junk";
    int index = 5;
    FindDefaultIcon(folder, file, index);
    EXPECT_EQ(file, "");
    EXPECT_EQ(index, -1);
}

TEST_F(IconSources, DocumentsFolderUsesItsSystemImageInAnyCase) {
    const DocumentsFolder docs = Documents();
    ASSERT_FALSE(docs.path.empty());
    ASSERT_GE(docs.index, 0);
    // What makes the case interesting: the documents folder does not look
    // like a plain folder, and asking by path alone would give the plain one.
    ASSERT_NE(docs.index, PlainFolderSystemIndex);
    SHFILEINFOA byPath{};
    ASSERT_TRUE(SHGetFileInfoA(docs.path.c_str(), 0, &byPath, sizeof byPath,
                               SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_LINKOVERLAY));
    EXPECT_NE(byPath.iIcon, docs.index);

    std::string bare = docs.path;
    while (!bare.empty() && bare.back() == '\\') bare.pop_back();
    for (const std::string& path :
         {docs.path, bare, bare + "\\", Upper(bare), Lower(bare) + "\\"}) {
        int index = -1;
        EXPECT_TRUE(GetSystemIconIndex(path, index)) << path;
        EXPECT_EQ(index, docs.index) << path;
        EXPECT_TRUE(HasSystemSpecialIcon(path)) << path;
        std::string file;
        EXPECT_TRUE(FindDefaultIcon(path, file, index)) << path;
        EXPECT_EQ(file, kSil) << path;
        EXPECT_EQ(index, docs.index) << path;
    }
}

TEST_F(IconSources, PlainFolderHasNoIconOfItsOwn) {
    test::ScratchDir dir("vticon");
    int index = -1;
    ASSERT_TRUE(GetSystemIconIndex(dir.Path(), index));
    EXPECT_EQ(index, PlainFolderSystemIndex);
    EXPECT_FALSE(HasSystemSpecialIcon(dir.Path()));

    const ShellLocation loc = ShellIconLocation(dir.Path());
    std::string file = "junk";
    index = 7;
    EXPECT_EQ(FindDefaultIcon(dir.Path(), file, index), loc.found);
    EXPECT_EQ(file, "");
    EXPECT_EQ(index, -1);

    // Neither a missing folder nor a file counts as a folder with a special icon.
    EXPECT_FALSE(HasSystemSpecialIcon(dir.Path() + "\\missing"));
    EXPECT_FALSE(HasSystemSpecialIcon(dir.MakeFile("a.txt", "x")));
    EXPECT_FALSE(FindDefaultIcon(dir.Path() + "\\missing", file, index));
    EXPECT_EQ(file, "");
    EXPECT_EQ(index, -1);
}

TEST_F(IconSources, ReferenceValuesDescribeThePlainFolderAndCanBeRecomputed) {
    const ShellLocation loc = ShellIconLocation(test::BinDir());
    ASSERT_TRUE(loc.found);
    EXPECT_EQ(PlainFolderIconFile, loc.file);
    EXPECT_EQ(PlainFolderIconIndex, loc.index);
    int index = -1;
    ASSERT_TRUE(GetSystemIconIndex(test::BinDir(), index));
    EXPECT_EQ(PlainFolderSystemIndex, index);

    // A second computation must not compare against its own earlier result.
    ComputeIconReferenceValues(test::BinDir());
    EXPECT_EQ(PlainFolderIconFile, loc.file);
    EXPECT_EQ(PlainFolderIconIndex, loc.index);
    EXPECT_EQ(PlainFolderSystemIndex, index);
}

TEST_F(IconSources, FolderWithItsOwnDesktopIconUsesTheSystemList) {
    test::ScratchDir dir("vticon");
    const std::string folder = dir.MakeDir("custom");
    const std::string ini = folder + "\\desktop.ini";
    ASSERT_TRUE(
        WritePrivateProfileStringA(".ShellClassInfo", "IconFile", TestDll().c_str(), ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA(".ShellClassInfo", "IconIndex", "2", ini.c_str()));
    ASSERT_TRUE(SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY));
    ScopeExit restore([&] { SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL); });

    EXPECT_TRUE(HasSystemSpecialIcon(folder));
    // Wine reads such a folder's icon location unreliably and adds a new
    // system image at each query, so the exact index is not repeatable here.
    std::string file;
    int index = -1;
    EXPECT_TRUE(FindDefaultIcon(folder, file, index));
    EXPECT_EQ(file, kSil);
    EXPECT_GE(index, 0);
    EXPECT_NE(index, PlainFolderSystemIndex);
    UniqueIcon icon(LoadSmallIcon(file, index));
    EXPECT_TRUE(icon);
}

TEST_F(IconSources, FolderLocationOtherThanThePlainOneIsTaken) {
    // Pretend plain folders look different, so that a scratch folder's own
    // location is taken as its icon.
    PlainFolderIconFile = "C:\\elsewhere\\folders.dll";
    ScopeExit restore([] { ComputeIconReferenceValues(test::BinDir()); });
    test::ScratchDir dir("vticon");
    const ShellLocation loc = ShellIconLocation(dir.Path());
    ASSERT_TRUE(loc.found);
    std::string file;
    int index = 0;
    EXPECT_TRUE(FindDefaultIcon(dir.Path(), file, index));
    EXPECT_EQ(file, loc.file);
    EXPECT_EQ(index, loc.index);
}

class FileTypeIcons : public IconSources {
protected:
    static constexpr const char* kExt = ".vticontest";
    static constexpr const char* kType = "VtIconTest.File";

    void SetUp() override {
        ASSERT_TRUE(SetEnvironmentVariableA("VT_ICON_TEST_DIR", test::BinDir().c_str()));
        CRegKey ext;
        ASSERT_TRUE(ext.Create(HKEY_CLASSES_ROOT, kExt));
        ASSERT_TRUE(ext.SetString("", kType));
        missing_ = dir_.Path() + "\\missing.VtIconTest";  // case of the extension differs
        ASSERT_FALSE(ShellIconLocation(missing_).found);
    }
    void TearDown() override { SetEnvironmentVariableA("VT_ICON_TEST_DIR", nullptr); }

    void SetDefaultIcon(const std::string& value, DWORD type = REG_EXPAND_SZ) {
        CRegKey key;
        ASSERT_TRUE(key.Create(HKEY_CLASSES_ROOT, std::string(kType) + "\\DefaultIcon"));
        ASSERT_EQ(RegSetValueExA(key.Get(), nullptr, 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }

    test::ScopedRegTree extKey_{HKEY_CLASSES_ROOT, kExt};
    test::ScopedRegTree typeKey_{HKEY_CLASSES_ROOT, kType};
    test::ScratchDir dir_{"vticon"};
    std::string missing_;
};

TEST_F(FileTypeIcons, NegativeIdsBecomeTheGroupsPositionInTheExpandedFile) {
    struct Case {
        const char* value;
        int index;
        COLORREF colour;
    } cases[] = {
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-152", 2, kBlue},
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-7", 1, kGreen},
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-300", 3, kYellow},
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-999", 0, kRed},    // no such group
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-70000", 0, kRed},  // beyond resource numbers
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-2147483648", 0, kRed},
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll,3", 3, kYellow},
        {"%VT_ICON_TEST_DIR%\\vt_test_icons.dll", 0, kRed},
    };
    for (const Case& c : cases) {
        SetDefaultIcon(c.value);
        std::string file;
        int index = -5;
        EXPECT_TRUE(FindDefaultIcon(missing_, file, index)) << c.value;
        EXPECT_EQ(file, TestDll()) << c.value;
        EXPECT_EQ(index, c.index) << c.value;
        UniqueIcon icon(LoadSmallIcon(file, index));
        ASSERT_TRUE(icon) << c.value;
        EXPECT_EQ(LookAt(icon.Get()).centre, c.colour) << c.value;
    }
    // -1 is "the default picture", not a resource number.
    SetDefaultIcon("%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-1", REG_SZ);
    std::string file;
    int index = 0;
    EXPECT_TRUE(FindDefaultIcon(missing_, file, index));
    EXPECT_EQ(file, TestDll());
    EXPECT_EQ(index, -1);
}

TEST_F(FileTypeIcons, SystemLibraryThroughSystemRootResolvesToTheSameIcon) {
    // The shell's own folder picture, named by resource number as file types
    // usually do; the extraction by position must give that very icon.
    SetDefaultIcon("%SystemRoot%\\system32\\shell32.dll,-4");
    std::string file;
    int index = -1;
    ASSERT_TRUE(FindDefaultIcon(missing_, file, index));
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    EXPECT_EQ(Lower(file), Lower(std::string(windows) + "\\system32\\shell32.dll"));
    EXPECT_GE(index, 0);

    HICON byIdRaw = nullptr;
    ASSERT_EQ(ExtractIconExA(file.c_str(), -4, nullptr, &byIdRaw, 1), 1u);
    UniqueIcon byId(byIdRaw), byPosition(LoadSmallIcon(file, index));
    ASSERT_TRUE(byPosition);
    const std::vector<BYTE> expected = PixelsOf(byId.Get());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(PixelsOf(byPosition.Get()), expected) << "position " << index;
}

TEST_F(FileTypeIcons, ExistingFileTakesTheShellsLocationAsItStands) {
    // The shell reports the location of an existing file itself; its resource
    // number is kept, and the extraction resolves it.
    SetDefaultIcon(TestDll() + ",-152", REG_SZ);
    const std::string path = dir_.MakeFile("present.vticontest", "x");
    const ShellLocation loc = ShellIconLocation(path);
    ASSERT_TRUE(loc.found);
    std::string file;
    int index = 0;
    ASSERT_TRUE(FindDefaultIcon(path, file, index));
    EXPECT_EQ(file, loc.file);
    EXPECT_EQ(index, loc.index);
    UniqueIcon icon(LoadSmallIcon(file, index));
    ASSERT_TRUE(icon);
    EXPECT_EQ(LookAt(icon.Get()).centre, kBlue);
}

TEST_F(FileTypeIcons, MissingRegistrationsGiveNoIcon) {
    std::string file = "junk";
    int index = 3;
    EXPECT_FALSE(FindDefaultIcon(missing_, file, index));  // no DefaultIcon key
    EXPECT_EQ(file, "");
    EXPECT_EQ(index, -1);

    SetDefaultIcon("%VT_ICON_TEST_DIR%\\vt_test_icons.dll,-152");
    test::DeleteRegTree(HKEY_CLASSES_ROOT, kExt);  // no extension key
    EXPECT_FALSE(FindDefaultIcon(missing_, file, index));
    EXPECT_EQ(file, "");
    EXPECT_EQ(index, -1);

    EXPECT_FALSE(FindDefaultIcon(dir_.Path() + "\\noextension", file, index));
    EXPECT_EQ(index, -1);
}

TEST_F(IconSources, LoadSmallIconFollowsTheThreeKinds) {
    // Index -1 is the default picture even for a file with exactly one icon.
    EXPECT_EQ(LoadSmallIcon(TestIco(), -1), nullptr);
    EXPECT_EQ(LoadSmallIcon("", 0), nullptr);
    EXPECT_EQ(LoadSmallIcon(TestIco(), 1), nullptr);  // beyond the file's icons
    EXPECT_EQ(LoadSmallIcon("C:\\no\\such\\file.ico", 0), nullptr);

    UniqueIcon red(LoadSmallIcon(TestIco(), 0));
    ASSERT_TRUE(red);
    IconLook look = LookAt(red.Get());
    EXPECT_EQ(look.size.cx, 16);
    EXPECT_EQ(look.size.cy, 16);
    EXPECT_EQ(look.centre, kRed);

    const DocumentsFolder docs = Documents();
    ASSERT_GE(docs.index, 0);
    UniqueIcon sil(LoadSmallIcon(kSil, docs.index));
    ASSERT_TRUE(sil);
    look = LookAt(sil.Get());
    EXPECT_EQ(look.size.cx, 16);
    EXPECT_EQ(look.size.cy, 16);
    EXPECT_EQ(LoadSmallIcon(kSil, 1000000), nullptr);
    EXPECT_EQ(LoadSmallIcon(kSil, -1), nullptr);
}

// An icon for another DPI is the file's own picture of that size, not a
// stretched small one; a size the file lacks is made from its pictures.
TEST_F(IconSources, IconOfSizeTakesTheFilesPictureOfThatSize) {
    test::ScratchDir dir("vticon");
    const std::string ico = dir.Path() + "\\sizes.ico";
    ASSERT_TRUE(test::WriteSolidIconFile(ico, {{16, kBlue}, {24, kRed}, {32, kGreen}}));
    for (const auto& want :
         {std::make_pair(16, kBlue), std::make_pair(24, kRed), std::make_pair(32, kGreen)}) {
        UniqueIcon icon(LoadIconOfSize(ico, 0, want.first));
        ASSERT_TRUE(icon) << want.first;
        const IconLook look = LookAt(icon.Get());
        EXPECT_EQ(look.size.cx, want.first);
        EXPECT_EQ(look.size.cy, want.first);
        EXPECT_EQ(look.centre, want.second) << want.first;
    }
    UniqueIcon twenty(LoadIconOfSize(ico, 0, 20));
    ASSERT_TRUE(twenty);
    EXPECT_EQ(LookAt(twenty.Get()).size.cx, 20);
    EXPECT_EQ(LoadIconOfSize(ico, -1, 24), nullptr);  // the default picture
    EXPECT_EQ(LoadIconOfSize(ico, 1, 24), nullptr);   // beyond the file's icons
    EXPECT_EQ(LoadIconOfSize("", 0, 24), nullptr);

    // The shell's image lists share their indices: a system image of any size.
    const DocumentsFolder docs = Documents();
    ASSERT_GE(docs.index, 0);
    for (int size : {16, 24, 32}) {
        UniqueIcon sil(LoadIconOfSize(kSil, docs.index, size));
        ASSERT_TRUE(sil) << size;
        EXPECT_EQ(LookAt(sil.Get()).size.cx, size);
    }
    EXPECT_EQ(LoadIconOfSize(kSil, -1, 24), nullptr);
}

TEST_F(IconSources, SystemImageListIsBorrowedFromTheShell) {
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    SHFILEINFOA info{};
    auto shellList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(temp, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ASSERT_NE(shellList, nullptr);

    CSystemImageList& global = CSystemImageList::Get();
    EXPECT_EQ(global.GetSafeHandle(), shellList);
    const int before = CSystemImageList::InstanceCount();
    EXPECT_GE(before, 1);
    {
        CSystemImageList local;
        EXPECT_EQ(local.GetSafeHandle(), shellList);
        EXPECT_EQ(CSystemImageList::InstanceCount(), before + 1);
    }
    EXPECT_EQ(CSystemImageList::InstanceCount(), before);
    // The local object let go of the list without destroying it.
    EXPECT_GT(ImageList_GetImageCount(shellList), 0);
    UniqueIcon icon(global.ExtractIcon(info.iIcon));
    EXPECT_TRUE(icon);
    const SIZE size = global.GetImageSize();
    EXPECT_EQ(size.cx, 16);
    EXPECT_EQ(size.cy, 16);
}

}  // namespace
