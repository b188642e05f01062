// The standard library's failures as the program links them: the text-carrying
// ones arrive as vt::Failure, still caught as std::exception with a text; the
// ones without a text keep their standard types.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/failure.h"

namespace {

// The text of what the call throws when caught as std::exception, or
// "nothing" / "not a std::exception".
template <typename F>
std::string WhatThrows(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "not a std::exception";
    }
    return "nothing";
}

TEST(LibraryFailures, StringAndVectorLimitsComeAsFailuresWithTheirTexts) {
    std::string s = "abc";
    EXPECT_THROW((void)s.substr(4), vt::Failure);
    EXPECT_EQ(WhatThrows([&] { (void)s.substr(4); }), "a position past the end");
    // The end itself is a valid position.
    EXPECT_EQ(s.substr(3), "");
    EXPECT_THROW((void)s.at(3), vt::Failure);
    EXPECT_EQ(WhatThrows([&] { s.reserve(s.max_size() + 1); }), "basic_string::_M_create");
    std::vector<char> v;
    EXPECT_THROW(v.reserve(v.max_size() + 1), vt::Failure);
    EXPECT_EQ(WhatThrows([&] { v.reserve(v.max_size() + 1); }), "vector::reserve");
    // Nothing changed through the failures.
    EXPECT_EQ(s, "abc");
    EXPECT_TRUE(v.empty());
}

TEST(LibraryFailures, FailuresWithoutTextKeepTheirStandardTypes) {
    // More than the allocator can count: its own error type.
    EXPECT_THROW((void)std::allocator<std::uint64_t>().allocate(SIZE_MAX / 4),
                 std::bad_array_new_length);
    std::function<void()> empty;
    EXPECT_THROW(empty(), std::bad_function_call);
    EXPECT_EQ(WhatThrows([] {}), "nothing");
}

}  // namespace
