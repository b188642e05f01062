#include "framework/fileio.h"

#include <windows.h>

namespace vt {

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes, bool* tooLarge) {
    bytes.clear();
    if (tooLarge) *tooLarge = false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(h, &size) != 0;
    if (ok && static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        if (tooLarge) *tooLarge = true;
        ok = false;
    }
    if (ok && size.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) != 0 &&
             read == bytes.size();
    }
    CloseHandle(h);
    if (!ok) bytes.clear();
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".new";
    HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()),
                                          &written, nullptr) != 0 &&
                                written == bytes.size());
    ok = FlushFileBuffers(h) != 0 && ok;
    CloseHandle(h);
    ok = ok && MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}

}  // namespace vt
