#include "shell/shellintegration.h"

#include "framework/registry.h"

namespace vt {

namespace {
std::string UserClassesPath(const char* key) { return std::string(kUserClassesKey) + "\\" + key; }
}  // namespace

std::string RunValueData(const std::string& programPath) { return "\"" + programPath + "\""; }

std::string VerbCommandLine(const std::string& programPath) { return "\"" + programPath + "\" %L"; }

bool IsLoadWithWindows() {
    CRegKey run;
    if (!run.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE)) return false;
    return RegQueryValueExA(run.Get(), kRunValueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool IsExplorerVerbInstalled() {
    CRegKey verb;
    if (verb.Open(HKEY_CLASSES_ROOT, kVerbKey, KEY_READ)) return true;
    // Systems that do not merge the user's classes into HKEY_CLASSES_ROOT
    // (Wine) still have our registration there.
    return verb.Open(HKEY_CURRENT_USER, UserClassesPath(kVerbKey), KEY_READ);
}

void WriteShellIntegration(bool loadWithWindows, bool integrate, const std::string& programPath) {
    // Without a program path there is nothing sensible to write; an entry
    // naming "" would start nothing (or something else) at log-on.
    const bool havePath = !programPath.empty();

    CRegKey run;
    // A profile without a Run key gets one when the value is wanted.
    bool opened = loadWithWindows && havePath
                      ? run.Create(HKEY_CURRENT_USER, kRunKey)
                      : run.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (opened) {
        run.DeleteValue(kRunValueName);
        if (loadWithWindows && havePath) run.SetString(kRunValueName, RunValueData(programPath));
    }

    if (!integrate) {
        DeleteKeyTree(HKEY_CURRENT_USER, UserClassesPath(kVerbKey));
        return;
    }
    CRegKey command;
    if (havePath && command.Create(HKEY_CURRENT_USER, UserClassesPath(kVerbCommandKey)))
        command.SetString(nullptr, VerbCommandLine(programPath));
}

}  // namespace vt
