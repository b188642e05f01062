#include "packaging/msihelper.h"

#include <vector>

#include "framework/handles.h"
#include "packaging/runvalue.h"

namespace vt {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Vantrel";
const char kVerbKey[] = "Software\\Classes\\Folder\\shell\\Add to Vantrel";
const char kVerbCommandKey[] = "Software\\Classes\\Folder\\shell\\Add to Vantrel\\command";
const char kKeptKey[] = "Software\\Quorvane.\\Vantrel Upgrade";
const char kSetupKey[] = "Software\\Quorvane.\\Vantrel Setup";
const char kLoadWithWindowsSet[] = "Load With Windows Set";

namespace {

const char kMappingName[] = "CInstanceChecker_MMF_Vantrel";
const WPARAM kQuitCommand = 57665;

std::string LongPath(const std::string& p) {
    std::vector<char> buf(p.size() + MAX_PATH * 4);
    DWORD n = GetLongPathNameA(p.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    return n && n < buf.size() ? std::string(buf.data(), n) : p;
}

// A registry string value (REG_SZ, or REG_EXPAND_SZ expanded); false if the
// value is missing or of another type.
bool ReadString(HKEY key, const char* name, std::string& out) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    out.assign(data.data());  // up to the first zero, whether stored or not
    if (type == REG_EXPAND_SZ) {
        DWORD n = ExpandEnvironmentStringsA(out.c_str(), nullptr, 0);
        std::vector<char> expanded(n + 1, '\0');
        if (n && ExpandEnvironmentStringsA(out.c_str(), expanded.data(), n + 1))
            out.assign(expanded.data());
    }
    return true;
}

// The Run value and the verb command when they start `program`, else "".
struct ShellEntries {
    std::string run;
    std::string verb;
};

ShellEntries ReadShellEntries(HKEY userRoot, const std::string& program) {
    ShellEntries found;
    HKEY key = nullptr;
    std::string value;
    if (RegOpenKeyExA(userRoot, kRunKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        if (ReadString(key, kRunValue, value) && CommandStartsProgram(value, program))
            found.run = value;
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(userRoot, kVerbCommandKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        if (ReadString(key, nullptr, value) && CommandStartsProgram(value, program))
            found.verb = value;
        RegCloseKey(key);
    }
    return found;
}

bool WriteString(HKEY root, const char* subkey, const char* name, const std::string& value) {
    return RegSetKeyValueA(root, subkey, name, REG_SZ, value.c_str(),
                           static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool HasLoadWithWindowsMark(HKEY userRoot) {
    return RegGetValueA(userRoot, kSetupKey, kLoadWithWindowsSet, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

void SetLoadWithWindowsMark(HKEY userRoot) {
    const DWORD one = 1;
    RegSetKeyValueA(userRoot, kSetupKey, kLoadWithWindowsSet, REG_DWORD, &one, sizeof one);
}

bool StartsWithPath(const std::string& s, const std::string& program) {
    return s.size() >= program.size() && SamePath(s.substr(0, program.size()), program);
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    auto same = [](const std::string& x, const std::string& y) {
        return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, x.c_str(), -1, y.c_str(), -1) ==
               CSTR_EQUAL;
    };
    return same(a, b) || same(LongPath(a), LongPath(b));
}

bool CommandStartsProgram(const std::string& command, const std::string& program) {
    size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos || program.empty()) return false;
    std::string line = command.substr(start);
    if (line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close == std::string::npos) return false;
        return SamePath(line.substr(1, close - 1), program);
    }
    // Unquoted: the path may hold spaces, so it cannot be cut at the first
    // one; the line is the program's path, alone or followed by arguments.
    size_t end = line.find_last_not_of(" \t");
    line.resize(end + 1);
    if (SamePath(line, program)) return true;
    return line.size() > program.size() &&
           (line[program.size()] == ' ' || line[program.size()] == '\t') &&
           StartsWithPath(line, program);
}

EndResult EndRunningInstance(const std::string& program, DWORD timeoutMs) {
    // An instance that is starting creates its record a moment before it
    // writes its window into it: wait for the window rather than report an
    // instance that cannot be reached.
    HWND window = nullptr;
    DWORD pid = 0;
    const DWORD start = GetTickCount();
    for (;;) {
        {
            UniqueKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kMappingName));
            if (!mapping) return EndResult::NotRunning;
            UniqueMapView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(DWORD)));
            if (!view) return EndResult::Failed;
            // A 32-bit handle, sign-extended when it widens to 64 bits.
            LONG packed = *static_cast<const volatile LONG*>(view.Get());
            window = reinterpret_cast<HWND>(static_cast<INT_PTR>(packed));
        }  // our handle must not keep the record alive
        if (window && GetWindowThreadProcessId(window, &pid) && pid) break;
        if (GetTickCount() - start >= timeoutMs) return EndResult::Failed;
        Sleep(20);
    }
    UniqueKernelHandle process(OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return EndResult::Failed;

    std::vector<char> image(MAX_PATH * 4);
    DWORD n = static_cast<DWORD>(image.size());
    // A copy started from elsewhere (a portable one) uses none of our files.
    // If the image cannot be read, ending it is the safe side.
    if (QueryFullProcessImageNameA(process.Get(), 0, image.data(), &n) &&
        !SamePath(std::string(image.data(), n), program))
        return EndResult::OtherCopy;

    std::string cmd = "\"" + program + "\" /quit";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi)) {
        UniqueKernelHandle quitter(pi.hProcess), quitterThread(pi.hThread);
        WaitForSingleObject(quitter.Get(), timeoutMs);
    } else {
        // The program file cannot be started: send what its "/quit" sends.
        PostMessageA(window, WM_COMMAND, kQuitCommand, 0);
    }
    if (WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0) return EndResult::Ended;
    // Still there (hung, or a modal loop that never returns): its files must
    // go all the same, and the hook library is loaded into other programs
    // only while its process lives.
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), 5000);
    return EndResult::Terminated;
}

bool ImageInUse(const std::string& file) {
    UniqueFileHandle h(CreateFileA(file.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    return !h && GetLastError() == ERROR_SHARING_VIOLATION;
}

bool WaitForHookLibraryRelease(const std::string& hookLibrary, DWORD timeoutMs) {
    if (!ImageInUse(hookLibrary)) return true;
    // One nudge: a thread unloads the library when it next takes a message.
    PostMessageA(HWND_BROADCAST, WM_NULL, 0, 0);
    DWORD start = GetTickCount();
    while (ImageInUse(hookLibrary)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(100);
    }
    return true;
}

int RemoveLeftoversAtRestart(const std::string& program) {
    size_t slash = program.find_last_of('\\');
    if (slash == std::string::npos) return 0;
    std::string folder = program.substr(0, slash);
    int scheduled = 0;
    for (const char* name : {"Vantrel.exe", "VTHook.dll"}) {
        std::string file = folder + "\\" + name;
        if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES ||
            DeleteFileA(file.c_str()))
            continue;
        // A loaded file can be renamed though not deleted: out of the way,
        // its name is free for a newer version's file.
        std::string aside = file + "." + std::to_string(GetTickCount()) + ".removed";
        if (!MoveFileA(file.c_str(), aside.c_str())) continue;
        if (MoveFileExA(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            ++scheduled;
        else  // not allowed here: back where the installer's own handling expects it
            MoveFileA(aside.c_str(), file.c_str());
    }
    // Removed at the restart only if it is empty by then (a newer version's
    // files keep it).
    if (!RemoveDirectoryA(folder.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return scheduled;
}

ShellCleanup RemoveShellIntegration(HKEY userRoot, const std::string& program) {
    ShellCleanup done;
    ShellEntries ours = ReadShellEntries(userRoot, program);
    if (!ours.run.empty())
        done.runValueRemoved = RegDeleteKeyValueA(userRoot, kRunKey, kRunValue) == ERROR_SUCCESS;
    // The key, with whatever else was put under it.
    if (!ours.verb.empty()) done.verbRemoved = RegDeleteTreeA(userRoot, kVerbKey) == ERROR_SUCCESS;
    RegDeleteKeyValueA(userRoot, kSetupKey, kLoadWithWindowsSet);
    return done;
}

void RememberShellIntegration(HKEY userRoot, const std::string& program) {
    RegDeleteTreeA(userRoot, kKeptKey);
    ShellEntries ours = ReadShellEntries(userRoot, program);
    if (!ours.run.empty()) WriteString(userRoot, kKeptKey, "Run", ours.run);
    if (!ours.verb.empty()) WriteString(userRoot, kKeptKey, "Verb", ours.verb);
    if (HasLoadWithWindowsMark(userRoot)) WriteString(userRoot, kKeptKey, "Mark", "1");
}

int RestoreShellIntegration(HKEY userRoot) {
    HKEY kept = nullptr;
    if (RegOpenKeyExA(userRoot, kKeptKey, 0, KEY_QUERY_VALUE, &kept) != ERROR_SUCCESS) return 0;
    int restored = 0;
    std::string value, now;
    HKEY key = nullptr;
    if (ReadString(kept, "Run", value)) {
        bool present = false;
        if (RegOpenKeyExA(userRoot, kRunKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            present = ReadString(key, kRunValue, now);
            RegCloseKey(key);
        }
        if (!present && WriteString(userRoot, kRunKey, kRunValue, value)) ++restored;
    }
    if (ReadString(kept, "Verb", value)) {
        bool present = false;
        if (RegOpenKeyExA(userRoot, kVerbCommandKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            present = ReadString(key, nullptr, now);
            RegCloseKey(key);
        }
        if (!present && WriteString(userRoot, kVerbCommandKey, nullptr, value)) ++restored;
    }
    if (ReadString(kept, "Mark", value)) SetLoadWithWindowsMark(userRoot);
    RegCloseKey(kept);
    RegDeleteTreeA(userRoot, kKeptKey);
    return restored;
}

bool EnableLoadWithWindows(HKEY userRoot, const std::string& program) {
    if (program.empty() || HasLoadWithWindowsMark(userRoot)) return false;
    if (!WriteString(userRoot, kRunKey, kRunValue, SetupRunValueData(program))) return false;
    SetLoadWithWindowsMark(userRoot);
    return true;
}

bool StartInstalledProgram(const std::string& program) {
    {
        UniqueKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kMappingName));
        if (mapping) return false;  // one runs already
    }
    const size_t slash = program.find_last_of('\\');
    const std::string folder =
        slash == std::string::npos ? std::string() : program.substr(0, slash);
    std::string cmd = "\"" + program + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // A job that ends its processes with the installer would take Vantrel
    // along; where the job allows no breakaway, a plain start is all there is.
    for (DWORD flags : {DWORD(CREATE_BREAKAWAY_FROM_JOB), DWORD(0)}) {
        if (CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, flags, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            return true;
        }
    }
    return false;
}

}  // namespace vt
