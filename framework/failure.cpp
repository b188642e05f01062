// The standard library's throwing functions, defined here so that the
// library's own definitions (and with them its error classes and their string
// implementation) are not linked in. Failures without a text keep their
// standard types; every other one becomes a vt::Failure with the library's
// text (always a literal).
#include "framework/failure.h"

#include <functional>
#include <new>
#include <string>
#include <typeinfo>

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }

void __throw_logic_error(const char* text) { throw vt::Failure(text); }
void __throw_domain_error(const char* text) { throw vt::Failure(text); }
void __throw_invalid_argument(const char* text) { throw vt::Failure(text); }
void __throw_length_error(const char* text) { throw vt::Failure(text); }
void __throw_out_of_range(const char* text) { throw vt::Failure(text); }
void __throw_runtime_error(const char* text) { throw vt::Failure(text); }
void __throw_range_error(const char* text) { throw vt::Failure(text); }
void __throw_overflow_error(const char* text) { throw vt::Failure(text); }
void __throw_underflow_error(const char* text) { throw vt::Failure(text); }
// The text is a format with the position and the size to fill in.
void __throw_out_of_range_fmt(const char*, ...) { throw vt::Failure("a position past the end"); }

}  // namespace std
