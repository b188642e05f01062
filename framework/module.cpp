#include "framework/module.h"

#include "framework/systemlibrary.h"
#include "framework/text.h"

namespace vt {

namespace {
// The version library is not on the system's list of known libraries: an
// import of it would be looked for beside the program first. Bound from the
// system folder at the first comparison and kept for the process.
struct VersionCalls {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    SizeFn size = nullptr;
    InfoFn info = nullptr;
    QueryFn query = nullptr;

    VersionCalls() {
        if (HMODULE lib = LoadSystemLibrary("version.dll")) {
            size = Bind<SizeFn>(lib, "GetFileVersionInfoSizeA");
            info = Bind<InfoFn>(lib, "GetFileVersionInfoA");
            query = Bind<QueryFn>(lib, "VerQueryValueA");
        }
    }
    bool Complete() const { return size && info && query; }

    template <class F>
    static F Bind(HMODULE module, const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const VersionCalls& Version() {
    static const VersionCalls calls;
    return calls;
}
}  // namespace

std::optional<ProductVersion> ReadProductVersion(const std::string& path) {
    const VersionCalls& v = Version();
    if (!v.Complete()) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = v.size(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::string data(size, '\0');
    if (!v.info(path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!v.query(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
        len < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    ProductVersion found;
    found.major = HIWORD(info->dwProductVersionMS);
    found.minor = LOWORD(info->dwProductVersionMS);
    found.build = HIWORD(info->dwProductVersionLS);
    return found;
}

std::string ProgramFilePath() {
    char path[kPathBufferBytes] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    return std::string(path, n);
}

}  // namespace vt
