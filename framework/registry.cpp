#include "framework/registry.h"

#include <vector>

namespace vt {

CRegKey& CRegKey::operator=(CRegKey&& o) noexcept {
    if (this != &o) {
        Close();
        key_ = o.key_;
        o.key_ = nullptr;
    }
    return *this;
}

bool CRegKey::Open(HKEY root, const std::string& subkey, REGSAM access) {
    Close();
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, access, &k) != ERROR_SUCCESS) return false;
    key_ = k;
    return true;
}

bool CRegKey::Create(HKEY root, const std::string& subkey) {
    Close();
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    key_ = k;
    return true;
}

void CRegKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

DWORD CRegKey::QueryDword(const char* name, DWORD def) const {
    if (!key_) return def;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return def;
    if (type != REG_DWORD || size != sizeof value) return def;
    return value;
}

bool CRegKey::TryQueryString(const char* name, std::string& out, size_t maxChars) const {
    if (!key_) return false;
    // One round trip for the usual short value; a second only for long ones.
    char stackBuf[1024];
    DWORD type = 0, size = sizeof stackBuf;
    LONG rc =
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(stackBuf), &size);
    std::vector<char> heap;
    const char* data = stackBuf;
    if (rc == ERROR_MORE_DATA) {
        if (size > maxChars + 1) return false;
        heap.resize(size + 1);
        DWORD size2 = size;
        rc = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(heap.data()),
                              &size2);
        size = size2;
        data = heap.data();
    }
    if (rc != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    size_t len = 0;
    while (len < size && data[len] != '\0') ++len;
    if (len > maxChars) return false;
    out.assign(data, len);
    return true;
}

std::string CRegKey::QueryString(const char* name, const std::string& def, size_t maxChars) const {
    std::string s;
    return TryQueryString(name, s, maxChars) ? s : def;
}

bool CRegKey::SetDword(const char* name, DWORD value) const {
    return key_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
}

bool CRegKey::SetString(const char* name, const std::string& value) const {
    return key_ &&
           RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool CRegKey::DeleteValue(const char* name) const {
    return key_ && RegDeleteValueA(key_, name) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY root, const std::string& subkey) {
    if (subkey.empty()) return false;  // never the root itself
    LONG rc = RegDeleteTreeA(root, subkey.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    // RegDeleteTree empties the key; remove the key itself if it survived.
    rc = RegDeleteKeyA(root, subkey.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::string CRegProfile::KeyPath(const std::string& section) const {
    std::string p = "Software\\" + registryKey_ + "\\" + appName_;
    if (!section.empty()) p += "\\" + section;
    return p;
}

bool CRegProfile::OpenSection(const std::string& section, CRegKey& key) const {
    return key.Open(HKEY_CURRENT_USER, KeyPath(section), KEY_READ);
}

bool CRegProfile::CreateSection(const std::string& section, CRegKey& key) const {
    return key.Create(HKEY_CURRENT_USER, KeyPath(section));
}

int CRegProfile::GetProfileInt(const std::string& section, const char* entry, int def) const {
    CRegKey k;
    OpenSection(section, k);
    return k.QueryInt(entry, def);
}

std::string CRegProfile::GetProfileString(const std::string& section, const char* entry,
                                          const std::string& def) const {
    CRegKey k;
    OpenSection(section, k);
    return k.QueryString(entry, def);
}

bool CRegProfile::WriteProfileInt(const std::string& section, const char* entry, int value) const {
    CRegKey k;
    return CreateSection(section, k) && k.SetDword(entry, static_cast<DWORD>(value));
}

bool CRegProfile::WriteProfileString(const std::string& section, const char* entry,
                                     const std::string& value) const {
    CRegKey k;
    return CreateSection(section, k) && k.SetString(entry, value);
}

}  // namespace vt
