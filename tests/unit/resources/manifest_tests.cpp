// The application manifest inside the built programs of both architectures,
// read from their PE resources, and its effect on a process that carries it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/text.h"
#include "support/testsupport.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::vector<unsigned char> data;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return data;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    fclose(f);
    return data;
}

// A program file's machine and its resource (type, id), in any language.
struct PeResource {
    WORD machine = 0;
    bool found = false;
    std::string data;
};

class PeFile {
public:
    explicit PeFile(std::vector<unsigned char> bytes) : b_(std::move(bytes)) {
        const DWORD nt = U32(0x3C);
        if (b_.size() < 0x40 || U16(0) != IMAGE_DOS_SIGNATURE || U32(nt) != IMAGE_NT_SIGNATURE)
            return;
        machine_ = static_cast<WORD>(U16(nt + 4));
        const DWORD optional = nt + 24;
        sectionTable_ = optional + U16(nt + 20);
        sectionCount_ = U16(nt + 6);
        // The data directories follow the fixed part of the optional header,
        // which is longer in PE32+ (64-bit) files.
        const bool pe32plus = U16(optional) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
        resourceRva_ = U32(optional + (pe32plus ? 112 : 96) + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE);
    }

    PeResource Find(WORD type, WORD id) const {
        PeResource r;
        r.machine = machine_;
        const DWORD root = resourceRva_ ? ToOffset(resourceRva_) : 0;
        if (!root) return r;
        const DWORD typeDir = Entry(root, root, type);
        const DWORD idDir = typeDir ? Entry(root, typeDir, id) : 0;
        if (!idDir) return r;
        // The first language of the resource: a data entry.
        const DWORD named = U16(idDir + 12), numbered = U16(idDir + 14);
        if (named + numbered == 0) return r;
        const DWORD leaf = U32(idDir + 16 + 4);
        if (leaf & 0x80000000u) return r;
        const DWORD dataRva = U32(root + leaf), size = U32(root + leaf + 4);
        const DWORD at = ToOffset(dataRva);
        if (!at || at + size > b_.size()) return r;
        r.found = true;
        r.data.assign(reinterpret_cast<const char*>(&b_[at]), size);
        return r;
    }

private:
    DWORD U16(size_t at) const { return at + 2 <= b_.size() ? b_[at] | (b_[at + 1] << 8) : 0; }
    DWORD U32(size_t at) const { return at + 4 <= b_.size() ? U16(at) | (U16(at + 2) << 16) : 0; }

    DWORD ToOffset(DWORD rva) const {
        for (DWORD i = 0; i < sectionCount_; ++i) {
            const DWORD s = sectionTable_ + 40 * i;
            const DWORD va = U32(s + 12), rawSize = U32(s + 16), raw = U32(s + 20);
            if (rva >= va && rva < va + rawSize) return raw + (rva - va);
        }
        return 0;
    }

    // The subdirectory of a numbered entry of a resource directory, as a
    // file offset; 0 when missing.
    DWORD Entry(DWORD root, DWORD dir, WORD id) const {
        const DWORD named = U16(dir + 12), numbered = U16(dir + 14);
        for (DWORD i = named; i < named + numbered; ++i) {
            const DWORD e = dir + 16 + 8 * i;
            if (U32(e) == id && (U32(e + 4) & 0x80000000u))
                return root + (U32(e + 4) & 0x7FFFFFFFu);
        }
        return 0;
    }

    std::vector<unsigned char> b_;
    WORD machine_ = 0;
    DWORD sectionTable_ = 0;
    DWORD sectionCount_ = 0;
    DWORD resourceRva_ = 0;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What the manifest must say, each as it stands in the XML.
void ExpectCompleteManifest(const std::string& xml) {
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << xml.substr(0, 40);
    EXPECT_TRUE(Has(xml, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_TRUE(Has(xml, "publicKeyToken=\"6595b64144ccf1df\""));
    EXPECT_TRUE(Has(xml, "<requestedExecutionLevel level=\"asInvoker\""));
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
        EXPECT_TRUE(Has(xml, std::string("<supportedOS Id=\"") + os + "\"/>")) << os;
    EXPECT_TRUE(Has(xml,
                    "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                    "true/pm</dpiAware>"));
    EXPECT_TRUE(Has(xml,
                    "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                    "WindowsSettings\">PerMonitorV2"));
    EXPECT_TRUE(Has(xml,
                    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                    "WindowsSettings\">UTF-8</activeCodePage>"));
}

TEST(Manifest, BothProgramsCarryTheCompleteManifest) {
    const std::string bin = vt::test::BinDir();
    const struct {
        std::string path;
        WORD machine;
    } programs[] = {{bin + "\\Vantrel.exe", IMAGE_FILE_MACHINE_AMD64},
                    {bin + "\\..\\..\\x86\\bin\\Vantrel.exe", IMAGE_FILE_MACHINE_I386}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.path);
        std::vector<unsigned char> bytes = ReadFile(p.path);
        ASSERT_FALSE(bytes.empty()) << "missing: make build builds both architectures";
        const PeResource manifest = PeFile(std::move(bytes)).Find(24, 1);  // RT_MANIFEST, 1
        EXPECT_EQ(manifest.machine, p.machine);
        ASSERT_TRUE(manifest.found);
        ExpectCompleteManifest(manifest.data);
    }
    // The hook library runs inside other programs: it carries no manifest of
    // its own that could change theirs.
    std::vector<unsigned char> hook = ReadFile(bin + "\\VTHook.dll");
    ASSERT_FALSE(hook.empty());
    EXPECT_FALSE(PeFile(hook).Find(24, 1).found);
    EXPECT_FALSE(PeFile(hook).Find(24, 2).found);
}

TEST(Manifest, ItsProcessHasTheUtf8CodePage) {
    // This test program carries the same manifest: the system accepted it.
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    // A narrow call now takes and returns any script.
    vt::test::ScratchDir dir("manifest");
    const std::string name =
        "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B "  // Проекты
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "                      // 日本語
        "\xF0\x9F\x8E\xB5";                                          // U+1F3B5
    const std::string path = dir.Path() + "\\" + name;
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    const std::wstring wide = vt::ToWide(path);
    DWORD attr = GetFileAttributesW(wide.c_str());
    ASSERT_NE(attr, INVALID_FILE_ATTRIBUTES) << "the UTF-8 name made another folder";
    EXPECT_TRUE(attr & FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAA found = {};
    HANDLE h = FindFirstFileA((dir.Path() + "\\*").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    bool seen = false;
    do seen |= name == found.cFileName;
    while (FindNextFileA(h, &found));
    FindClose(h);
    EXPECT_TRUE(seen);
}

}  // namespace
