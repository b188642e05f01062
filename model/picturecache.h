// Which picture a folder's icon has in a picture collection, so that each
// distinct icon is loaded once however many folders show it. The folder
// menu and the Setup list keep one each. Windows names a file the same
// whatever the letter case of its path, so keys ignore case: index 2 of
// C:\Icons\A.ico and of c:\icons\a.ico is one picture.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "model/folderlist.h"

namespace vt {

// The key of the default folder picture: entries without an icon of their own.
inline constexpr const char* kDefaultIconKey = "DEFAULT";

// kDefaultIconKey for an entry whose icon file is empty or whose index is
// -1, else "file,index" in lower case (every script, not only ASCII).
std::string IconCacheKey(const FolderEntry& entry);

class CPictureCache {
public:
    // The picture remembered under key, if any.
    std::optional<int> Find(const std::string& key) const;
    void Remember(const std::string& key, int picture);

    // The picture remembered under key, else what load() gives, which is
    // remembered: a failure (whatever picture load falls back to, or -1) as
    // much as a success, so that a broken file is not read again until Clear.
    template <class Load>
    int Get(const std::string& key, Load&& load) {
        if (auto known = Find(key)) return *known;
        const int picture = std::forward<Load>(load)();
        Remember(key, picture);
        return picture;
    }

    // Forgets every picture (the collection keeps them; new ones are added).
    void Clear() { pictures_.clear(); }
    size_t Size() const { return pictures_.size(); }

private:
    std::map<std::string, int> pictures_;  // key -> picture index
};

}  // namespace vt
