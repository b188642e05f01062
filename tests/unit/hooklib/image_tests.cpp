// The built VTHook.dll files of both architectures, read as PE images: the
// shared ".VT" section and the undecorated export names. The 32-bit file
// cannot be loaded here, but it can be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "hooktestutil.h"

using namespace vt::test;

namespace {

class PeImage {
public:
    explicit PeImage(const std::string& path) {
        const std::string text = ReadTextFile(path);
        data_.assign(text.begin(), text.end());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        const auto ntOffset = static_cast<size_t>(dos->e_lfanew);
        const auto* sig = At<DWORD>(ntOffset);
        const auto* file = At<IMAGE_FILE_HEADER>(ntOffset + 4);
        if (!sig || *sig != IMAGE_NT_SIGNATURE || !file) return;
        machine_ = file->Machine;
        const size_t optOffset = ntOffset + 4 + sizeof(IMAGE_FILE_HEADER);
        const auto* magic = At<WORD>(optOffset);
        if (!magic) return;
        if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            if (const auto* o = At<IMAGE_OPTIONAL_HEADER64>(optOffset))
                exportDir_ = o->DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        } else if (*magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            if (const auto* o = At<IMAGE_OPTIONAL_HEADER32>(optOffset))
                exportDir_ = o->DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        }
        const size_t secOffset = optOffset + file->SizeOfOptionalHeader;
        for (WORD i = 0; i < file->NumberOfSections; ++i)
            if (const auto* s =
                    At<IMAGE_SECTION_HEADER>(secOffset + i * sizeof(IMAGE_SECTION_HEADER)))
                sections_.push_back(*s);
        valid_ = true;
    }

    bool Valid() const { return valid_; }
    WORD Machine() const { return machine_; }

    std::optional<IMAGE_SECTION_HEADER> Section(const char* name) const {
        for (const auto& s : sections_)
            if (std::strncmp(reinterpret_cast<const char*>(s.Name), name,
                             IMAGE_SIZEOF_SHORT_NAME) == 0)
                return s;
        return std::nullopt;
    }

    std::vector<std::string> ExportNames() const {
        std::vector<std::string> names;
        const auto* dir = At<IMAGE_EXPORT_DIRECTORY>(FileOffset(exportDir_.VirtualAddress));
        if (!exportDir_.VirtualAddress || !dir) return names;
        const size_t table = FileOffset(dir->AddressOfNames);
        for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
            const auto* rva = At<DWORD>(table + i * sizeof(DWORD));
            const size_t at = rva ? FileOffset(*rva) : 0;
            if (!at) break;
            const char* p = reinterpret_cast<const char*>(data_.data() + at);
            names.emplace_back(p, strnlen(p, data_.size() - at));
        }
        return names;
    }

private:
    template <class T>
    const T* At(size_t offset) const {
        if (offset + sizeof(T) > data_.size()) return nullptr;
        return reinterpret_cast<const T*>(data_.data() + offset);
    }
    // File offset of a relative virtual address; 0 when no section holds it.
    size_t FileOffset(DWORD rva) const {
        for (const auto& s : sections_)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        return 0;
    }

    std::vector<unsigned char> data_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
    IMAGE_DATA_DIRECTORY exportDir_ = {};
    WORD machine_ = 0;
    bool valid_ = false;
};

struct Build {
    const char* path;  // relative to this program's folder
    WORD machine;
};
const Build kBuilds[] = {
    {"VTHook.dll", IMAGE_FILE_MACHINE_AMD64},
    {"..\\..\\x86\\bin\\VTHook.dll", IMAGE_FILE_MACHINE_I386},
};

TEST(HookImage, SharedSectionIsReadableWritableSharedAndHoldsBothFields) {
    for (const auto& b : kBuilds) {
        SCOPED_TRACE(b.path);
        const PeImage image(BinPath(b.path));
        ASSERT_TRUE(image.Valid()) << "build both architectures first";
        EXPECT_EQ(image.Machine(), b.machine);
        const auto vt = image.Section(".VT");
        ASSERT_TRUE(vt.has_value());
        const DWORD want = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE |
                           IMAGE_SCN_CNT_INITIALIZED_DATA;
        EXPECT_EQ(vt->Characteristics & want, want) << std::hex << vt->Characteristics;
        EXPECT_EQ(vt->Characteristics & IMAGE_SCN_MEM_EXECUTE, 0u);
        EXPECT_GE(vt->Misc.VirtualSize, 8u);  // HookTarget and HookHandle
        // Only that section is shared: the per-process data must not be.
        const auto data = image.Section(".data");
        ASSERT_TRUE(data.has_value());
        EXPECT_EQ(data->Characteristics & IMAGE_SCN_MEM_SHARED, 0u);
    }
}

TEST(HookImage, ExportsAreExactlyTheTwoUndecoratedNames) {
    for (const auto& b : kBuilds) {
        SCOPED_TRACE(b.path);
        const PeImage image(BinPath(b.path));
        ASSERT_TRUE(image.Valid()) << "build both architectures first";
        auto names = image.ExportNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"InstallHook", "UninstallHook"}));
    }
}

}  // namespace
