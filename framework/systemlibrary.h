// Binding libraries at run time without letting a file planted beside the
// program stand in for a system library. A portable copy often runs from a
// downloads folder, where anything named "version.dll" or "uxtheme.dll" may
// lie; the system's search looks in the program's folder first.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Limits the search of every later load by bare name (and of the imports of
// what is loaded) to the system folder. False where the system lacks the call
// (Windows 7 without its library-search update); LoadSystemLibrary then
// names the system folder itself.
bool RestrictLibrarySearchToSystem();

// Loads a library of the system from the system folder, never from the
// program's folder or the current one; null when it is not there. A name
// with a folder in it (a stand-in library of a test) is loaded from there.
HMODULE LoadSystemLibrary(const char* name);

// Has the libraries whose functions are bound at their first call (the
// delay-loaded imports: the common controls, COM) loaded as LoadSystemLibrary
// loads them. Called at start, before the first call of any of them.
void LoadDelayedImportsFromSystem();

// Loads a library of our own by its full path; its imports are searched in
// its folder and the system folder only. Null for a relative path.
HMODULE LoadLibraryAtPath(const std::string& fullPath);

// The system folder with the file name appended ("C:\Windows\system32\x.dll"),
// empty if the system cannot say.
std::string SystemLibraryPath(const char* name);

}  // namespace vt
