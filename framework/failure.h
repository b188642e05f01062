// What the program throws where the standard library reports a failure that
// carries a text (a length or a position past the end of a string, a bad
// argument): a std::exception with a fixed text, caught like the library's
// own (by std::exception or by "..."). The library's error classes carry their
// texts in a second, reference-counted string implementation that, linked in
// statically, came with a fifth of the program's size; nothing here catches
// them by their own types.
#pragma once
#include <exception>

namespace vt {

class Failure : public std::exception {
public:
    // text: a literal or other text that outlives the exception.
    explicit Failure(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;  // not owned
};

}  // namespace vt
