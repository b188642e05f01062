#include "app/folderpresence.h"

namespace vt {

std::vector<std::string> CFolderPresenceCache::BeginShowing(const std::vector<std::string>& paths) {
    ++showing_;
    unanswered_ = 0;
    std::vector<std::string> toCheck;
    for (const std::string& path : paths) {
        Entry& e = entries_[path];
        if (e.askedIn == showing_) continue;  // listed twice: one check, one count
        e.askedIn = showing_;
        ++unanswered_;
        if (e.checking) continue;
        e.checking = true;
        toCheck.push_back(path);
    }
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.askedIn != showing_ && !it->second.checking)
            it = entries_.erase(it);
        else
            ++it;
    }
    return toCheck;
}

void CFolderPresenceCache::Record(const std::string& path, bool exists) {
    auto it = entries_.find(path);
    if (it == entries_.end()) return;
    Entry& e = it->second;
    e.known = exists ? FolderPresence::Present : FolderPresence::Absent;
    e.checking = false;
    if (e.askedIn == showing_ && e.answeredIn != showing_ && unanswered_ > 0) --unanswered_;
    e.answeredIn = showing_;
}

bool CFolderPresenceCache::Shown(const std::string& path) const {
    return Known(path) != FolderPresence::Absent;
}

FolderPresence CFolderPresenceCache::Known(const std::string& path) const {
    auto it = entries_.find(path);
    return it == entries_.end() ? FolderPresence::Unknown : it->second.known;
}

bool CFolderPresenceCache::Checking(const std::string& path) const {
    auto it = entries_.find(path);
    return it != entries_.end() && it->second.checking;
}

}  // namespace vt
