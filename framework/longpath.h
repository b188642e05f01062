// Paths of any length. The narrow file calls (and many wide ones without a
// prefix) refuse a path of MAX_PATH characters or more; a favourite folder
// deep in a project tree, or stored by another tool, can be longer.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// The UTF-16 form of a UTF-8 path for the wide file calls: a full path of
// MAX_PATH characters or more gets the extended-length prefix ("\\?\C:\...",
// "\\?\UNC\server\share\..."), with "/" turned into "\" (the prefix turns
// off that translation). Shorter or relative paths are only converted.
std::wstring WidePathForFileCalls(const std::string& path);

// Attributes of the file or folder, INVALID_FILE_ATTRIBUTES when it is not
// there; any length.
DWORD PathAttributes(const std::string& path);
inline bool PathExists(const std::string& path) {
    return PathAttributes(path) != INVALID_FILE_ATTRIBUTES;
}
inline bool IsExistingDirectory(const std::string& path) {
    const DWORD a = PathAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace vt
