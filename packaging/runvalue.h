// The start-with-Windows value as the Setup dialog writes it, for the
// installer helper (whose own registry names would clash with the dialog's
// header in one source).
#pragma once
#include <string>

namespace vt {

// The Run value's data for a program file: exactly what Setup's "Load with
// Windows" writes.
std::string SetupRunValueData(const std::string& program);

}  // namespace vt
