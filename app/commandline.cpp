#include "app/commandline.h"

#include <string.h>

#include "resources/resource.h"

namespace vt {

void CVantrelCommandLineInfo::ParseParam(const char* param, bool isSwitch, bool) {
    if (!param) return;
    if (isSwitch && strcmp(param, "quit") == 0) {
        fileName_ = kCmdQuit;
    } else if (isSwitch && strcmp(param, "pop") == 0) {
        fileName_ = kCmdPop;
    } else if (!isSwitch) {
        // A path with spaces that arrived as several unquoted arguments is
        // put back together.
        if (!fileName_.empty()) fileName_ += ' ';
        fileName_ += param;
    }
}

UINT ForwardedCommandId(const std::string& command) {
    if (command == kCmdQuit) return ID_APP_EXIT_CMD;
    if (command == kCmdPop) return ID_POP_MENU;
    if (!command.empty()) return ID_ADD_FOLDER;
    return 0;
}

}  // namespace vt
