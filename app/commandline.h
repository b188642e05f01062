// The program's command line, reduced to one command: "", "/quit", "/pop",
// or the plain arguments joined with single spaces (a folder path).
#pragma once
#include "framework/app.h"

namespace vt {

inline constexpr const char* kCmdQuit = "/quit";
inline constexpr const char* kCmdPop = "/pop";

class CVantrelCommandLineInfo : public CCommandLineInfo {
public:
    // Switches are case-sensitive: "/QUIT" is ignored. A later "/quit" or
    // "/pop" replaces whatever came before; plain arguments are appended.
    void ParseParam(const char* param, bool isSwitch, bool isLast) override;
};

// The command id a second start forwards for a command (0: forward nothing).
UINT ForwardedCommandId(const std::string& command);

}  // namespace vt
