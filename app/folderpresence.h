// What the folder menu knows of its folders' existence from one showing to
// the next: the last answer for each path and whether a check of it is under
// way. No threads and no file system here; CFolderChecker (folderchecker.h)
// asks and answers through it, under its lock.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace vt {

enum class FolderPresence { Unknown, Present, Absent };

class CFolderPresenceCache {
public:
    // A new showing of these paths. Returns the ones to check now: every
    // path whose earlier check is not still under way (a check that has not
    // answered is never started twice), each now marked as under way.
    // Records of paths no longer shown are dropped, except while their
    // check is under way.
    std::vector<std::string> BeginShowing(const std::vector<std::string>& paths);
    // A check's answer. A late one (its showing is over) still counts: it
    // is the last known state, and answers the current showing if the path
    // is part of it. Answers for paths no longer known are ignored.
    void Record(const std::string& path, bool exists);

    // Whether every path of the current showing has answered since it began.
    bool AllAnswered() const { return unanswered_ == 0; }
    // Whether the menu shows the path: present as last known, or never
    // answered (an unknown folder is not hidden for being slow).
    bool Shown(const std::string& path) const;
    FolderPresence Known(const std::string& path) const;
    bool Checking(const std::string& path) const;

private:
    struct Entry {
        FolderPresence known = FolderPresence::Unknown;
        bool checking = false;
        unsigned askedIn = 0;     // the last showing that listed the path
        unsigned answeredIn = 0;  // the showing during which the last answer came
    };
    std::map<std::string, Entry> entries_;
    unsigned showing_ = 0;
    size_t unanswered_ = 0;  // paths of the current showing not answered yet
};

}  // namespace vt
