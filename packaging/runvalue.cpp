#include "packaging/runvalue.h"

#include "shell/shellintegration.h"

namespace vt {

std::string SetupRunValueData(const std::string& program) { return RunValueData(program); }

}  // namespace vt
