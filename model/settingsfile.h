// The folder list and the options in a file the user keeps or carries to
// another machine: a registry file of version 5.00 (UTF-16LE with a
// byte-order mark), the form the system's registry editor and `reg import`
// read, holding exactly the values the program key holds. A double-click on
// it (or `reg import`) restores the key; Setup's "Import..." reads it back.
//
// The reader takes what the writer writes and what the system's tools write
// when they export the same key (quoted strings with \\ and \" escapes,
// dword:, hex: and hex(n): data over continued lines, deletions, comments),
// and refuses any key outside the program key.
#pragma once
#include <string>

#include "model/folderlist.h"

namespace vt {

// The whole file's bytes for the list and the options. programKey is the
// program key's full name ("HKEY_CURRENT_USER\Software\...\Vantrel").
// The file first deletes the key's "Entries" subkey, so that restoring a
// shorter list leaves no entry of a longer one behind.
std::string WriteSettingsFile(const FolderList& folders, const AppSettings& settings,
                              const std::string& programKey);

enum class SettingsFileProblem {
    None,
    Empty,            // no bytes (or only a byte-order mark and blanks)
    NotRegistryFile,  // the first line is no registry file header
    WrongVersion,     // a registry file of another format version (detail: its header)
    ForeignKey,       // a key outside the program key (detail: the key)
    NoSettings,       // a registry file without the program key
    Truncated,        // the file ends inside a line or before the folder list is complete
    Damaged,          // a line that cannot be read (line: its number)
};

struct SettingsFileContents {
    SettingsFileProblem problem = SettingsFileProblem::None;
    int line = 0;        // 1-based line of a Damaged or Truncated problem, else 0
    std::string detail;  // see the problems above
    FolderList folders;  // keys 0..n-1, in the file's order
    AppSettings settings;
    // "*** SIL ***" entries carry the index of another session's image
    // list: the caller looks their index up afresh.
};

// Reads a file written by WriteSettingsFile or exported by the system's tools.
// The options the file holds replace those of base; the others keep base's.
// The folders are taken as a load from the registry takes them: positions
// 0..Count-1 that have both a path and a title.
SettingsFileContents ReadSettingsFile(const std::string& bytes, const AppSettings& base,
                                      const std::string& programKey);

}  // namespace vt
