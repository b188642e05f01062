// Registry access: an owning key (CRegKey) with typed reads that fall back to a
// default on any failure, and the application profile rooted at
// HKEY_CURRENT_USER\Software\<registry key>\<application name>\.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
    CRegKey& operator=(CRegKey&& o) noexcept;

    // Open an existing key; false (and no key held) on failure.
    bool Open(HKEY root, const std::string& subkey, REGSAM access = KEY_READ);
    // Open or create a key for reading and writing.
    bool Create(HKEY root, const std::string& subkey);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

    // Reads. Missing key, missing value or wrong type gives the default.
    // DWORD: only REG_DWORD data of exactly 4 bytes is taken.
    DWORD QueryDword(const char* name, DWORD def) const;
    int QueryInt(const char* name, int def) const {
        return static_cast<int>(QueryDword(name, static_cast<DWORD>(def)));
    }
    // Strings: REG_SZ or REG_EXPAND_SZ (not expanded); the text ends at the
    // first zero byte. Values longer than maxChars are refused (default returned).
    std::string QueryString(const char* name, const std::string& def,
                            size_t maxChars = 32767) const;
    // Like QueryString but with the raw result: false when missing or unreadable.
    bool TryQueryString(const char* name, std::string& out, size_t maxChars = 32767) const;

    // Writes; failures are reported by the result only.
    bool SetDword(const char* name, DWORD value) const;
    bool SetString(const char* name, const std::string& value) const;
    bool DeleteValue(const char* name) const;

private:
    HKEY key_ = nullptr;  // owned
};

// Deletes a key with all its subkeys and values. True when the key is gone
// afterwards (also when it never existed).
bool DeleteKeyTree(HKEY root, const std::string& subkey);

// The profile of one application: "Software\<registryKey>\<appName>\" under
// HKEY_CURRENT_USER. A section is a subkey of it; the empty section is the
// application key itself. Each call opens and closes its key; hold a CRegKey
// from OpenSection/CreateSection for many values in a row.
class CRegProfile {
public:
    CRegProfile() = default;
    CRegProfile(std::string registryKey, std::string appName)
        : registryKey_(std::move(registryKey)), appName_(std::move(appName)) {}

    // "Software\<registryKey>\<appName>" (no trailing backslash), or the
    // section's key below it.
    std::string KeyPath(const std::string& section = "") const;

    bool OpenSection(const std::string& section, CRegKey& key) const;
    bool CreateSection(const std::string& section, CRegKey& key) const;

    int GetProfileInt(const std::string& section, const char* entry, int def) const;
    std::string GetProfileString(const std::string& section, const char* entry,
                                 const std::string& def = "") const;
    bool WriteProfileInt(const std::string& section, const char* entry, int value) const;
    bool WriteProfileString(const std::string& section, const char* entry,
                            const std::string& value) const;

    const std::string& RegistryKey() const { return registryKey_; }
    const std::string& AppName() const { return appName_; }

private:
    std::string registryKey_;
    std::string appName_;
};

}  // namespace vt
