#include "model/picturecache.h"

#include <windows.h>

#include "framework/text.h"

namespace vt {

std::string IconCacheKey(const FolderEntry& e) {
    if (e.iconIndex == -1 || e.iconFile.empty()) return kDefaultIconKey;
    std::wstring key = ToWide(e.iconFile + "," + std::to_string(e.iconIndex));
    CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    return ToNarrow(key);
}

std::optional<int> CPictureCache::Find(const std::string& key) const {
    auto it = pictures_.find(key);
    if (it == pictures_.end()) return std::nullopt;
    return it->second;
}

void CPictureCache::Remember(const std::string& key, int picture) { pictures_[key] = picture; }

}  // namespace vt
