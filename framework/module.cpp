#include "framework/module.h"

#include "framework/text.h"

namespace vt {

std::optional<ProductVersion> ReadProductVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::string data(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
        len < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    ProductVersion v;
    v.major = HIWORD(info->dwProductVersionMS);
    v.minor = LOWORD(info->dwProductVersionMS);
    v.build = HIWORD(info->dwProductVersionLS);
    return v;
}

std::string ProgramFilePath() {
    char path[kPathBufferBytes] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    return std::string(path, n);
}

}  // namespace vt
