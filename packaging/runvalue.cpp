#include "packaging/runvalue.h"

#include "dialogs/shellintegration.h"

namespace vt {

std::string SetupRunValueData(const std::string& program) { return RunValueData(program); }

}  // namespace vt
