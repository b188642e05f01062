#include "framework/longpath.h"

#include "framework/text.h"

namespace vt {

std::wstring WidePathForFileCalls(const std::string& path) {
    std::wstring wide = ToWide(path);
    if (wide.size() < MAX_PATH) return wide;
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;  // already extended
    const bool drive = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    if (drive) return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;  // relative: the prefix would make it mean nothing
}

DWORD PathAttributes(const std::string& path) {
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    std::wstring wide = WidePathForFileCalls(path);
    // The extended form takes no trailing backslash after a folder's name
    // on every system; the root ("\\?\C:\") keeps its own.
    if (wide.size() >= MAX_PATH && wide.size() > 7 && wide.back() == L'\\') wide.pop_back();
    return GetFileAttributesW(wide.c_str());
}

}  // namespace vt
