// Initial control data of dialog templates: records sent to their controls,
// malformed data refused without reading past its end.
#include <gtest/gtest.h>

#include <vector>

#include "framework/dlginit.h"
#include "framework/wnd.h"

using namespace vt;

namespace {

struct Record {
    WORD id, message;
    std::string data;  // sent with its length as written
};

std::vector<BYTE> Build(const std::vector<Record>& records, bool terminate = true) {
    std::vector<BYTE> out;
    auto put = [&](const void* p, size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        out.insert(out.end(), b, b + n);
    };
    for (const auto& r : records) {
        const DWORD length = static_cast<DWORD>(r.data.size());
        put(&r.id, 2);
        put(&r.message, 2);
        put(&length, 4);
        put(r.data.data(), r.data.size());
    }
    if (terminate) out.push_back(0), out.push_back(0);
    return out;
}

class DlgInit : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowImpl::RegisterClass("VtDlgInitHost");
        ASSERT_TRUE(
            host_.CreateEx(0, "VtDlgInitHost", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
        combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                                 host_.hwnd_, reinterpret_cast<HMENU>(1011), nullptr, nullptr);
        list_ = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, host_.hwnd_,
                                reinterpret_cast<HMENU>(1012), nullptr, nullptr);
        ASSERT_NE(combo_, nullptr);
    }
    std::string Item(int i) const {
        char buf[64] = {};
        SendMessageA(combo_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    int Count() const { return static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0)); }

    CWindowImpl host_;
    HWND combo_ = nullptr, list_ = nullptr;
};

TEST_F(DlgInit, RecordsReachTheirControlsInOrder) {
    auto data = Build({{1011, 0x403, std::string("Open\0", 5)},
                       {1012, 0x401, std::string("row\0", 4)},
                       {1011, CB_ADDSTRING, std::string("Explore\0", 8)}});
    EXPECT_TRUE(ExecuteDlgInitData(host_.hwnd_, data.data(), data.size()));
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Item(0), "Open");
    EXPECT_EQ(Item(1), "Explore");
    EXPECT_EQ(SendMessageA(list_, LB_GETCOUNT, 0, 0), 1);
}

TEST_F(DlgInit, MalformedDataIsRefusedWithoutReadingBeyondIt) {
    // A text without its zero stops at the record's end.
    auto data = Build({{1011, 0x403, "AB"}, {1011, 0x403, std::string("C\0", 2)}});
    EXPECT_TRUE(ExecuteDlgInitData(host_.hwnd_, data.data(), data.size()));
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Item(0), "AB");
    // A length beyond the data, a missing control, an unknown message.
    auto longer = Build({{1011, 0x403, std::string("X\0", 2)}});
    longer[4] = 200;
    EXPECT_FALSE(ExecuteDlgInitData(host_.hwnd_, longer.data(), longer.size()));
    auto missing = Build({{1999, 0x403, std::string("X\0", 2)}});
    EXPECT_FALSE(ExecuteDlgInitData(host_.hwnd_, missing.data(), missing.size()));
    auto unknown = Build({{1011, WM_SETTEXT, std::string("X\0", 2)}});
    EXPECT_FALSE(ExecuteDlgInitData(host_.hwnd_, unknown.data(), unknown.size()));
    // A header cut short, and data without the end marker.
    auto cut = Build({{1011, 0x403, std::string("X\0", 2)}}, false);
    EXPECT_FALSE(ExecuteDlgInitData(host_.hwnd_, cut.data(), 5));
    EXPECT_TRUE(ExecuteDlgInitData(host_.hwnd_, cut.data(), cut.size()));
    EXPECT_EQ(Count(), 3);
    // No resource at all is no failure.
    EXPECT_TRUE(ExecuteDlgInit(host_.hwnd_, GetModuleHandleA(nullptr), 4321));
}

}  // namespace
