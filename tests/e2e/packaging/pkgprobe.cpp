// pkgprobe.exe: the Windows side of the packaging scenarios (packaging.sh).
// Reads what an installed Vantrel left in the prefix and prints it as
// key=value lines for the script to check; waits on conditions with deadlines.
//   pkgprobe state <upgrade code>  folders, files, shortcut, products,
//                                  uninstall entries, Run values, verb, instance
//   pkgprobe wait-instance <ms>    until a Vantrel instance has published its window
//   pkgprobe wait-no-instance <ms> until no instance runs and its process has ended
//   pkgprobe wait-gone <ms> <pid>  until that process has ended
//   pkgprobe wait-menu <ms>        until the instance shows its popup menu
//   pkgprobe close-menu <ms>       cancels the instance's menu, waits until it is gone
// Exit code 0 when the condition held, 1 when the deadline passed, 2 on misuse.
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "support/testsupport.h"

namespace {
namespace test = vt::test;

const char kMapping[] = "CInstanceChecker_MMF_Vantrel";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void Line(const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), value.c_str());
}

std::string Folder(int csidl) {
    char p[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, p)) ? p : "";
}

// A string value, or "<missing>".
std::string RegString(HKEY root, const std::string& key, const char* name) {
    char data[2048] = {};
    DWORD size = sizeof data - 1;
    if (RegGetValueA(root, key.empty() ? nullptr : key.c_str(), name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    return data;
}

std::vector<std::string> SubKeys(HKEY root, const std::string& key, REGSAM view) {
    std::vector<std::string> names;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, n);
    }
    RegCloseKey(k);
    return names;
}

std::string FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return "<missing>";
    return std::to_string((static_cast<unsigned long long>(a.nFileSizeHigh) << 32) |
                          a.nFileSizeLow);
}

HWND PublishedWindow() {
    vt::UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping));
    if (!m) return nullptr;
    vt::UniqueMapView v(MapViewOfFile(m.Get(), FILE_MAP_READ, 0, 0, 4));
    if (!v) return nullptr;
    LONG packed = *static_cast<const volatile LONG*>(v.Get());
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(packed));
}

DWORD InstancePid() {
    HWND w = PublishedWindow();
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    return pid;
}

void PrintInstance() {
    DWORD pid = InstancePid();
    if (!pid) {
        Line("instance", "none");
        return;
    }
    Line("instance", std::to_string(pid));
    vt::UniqueKernelHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    char image[MAX_PATH * 2] = {};
    DWORD n = sizeof image;
    if (p && QueryFullProcessImageNameA(p.Get(), 0, image, &n)) Line("instance.image", image);
}

void PrintShortcut(const std::string& lnk) {
    Line("shortcut.file", FileSize(lnk));
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return;
    IPersistFile* file = nullptr;
    std::wstring wide(lnk.begin(), lnk.end());  // ASCII paths in the test prefix
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
        char target[MAX_PATH] = {}, dir[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
            Line("shortcut.target", target);
        if (SUCCEEDED(link->GetWorkingDirectory(dir, MAX_PATH))) Line("shortcut.workdir", dir);
    }
    if (file) file->Release();
    link->Release();
}

void PrintProducts(const std::string& upgradeCode) {
    int count = 0;
    char code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsA(upgradeCode.c_str(), 0, i, code) == ERROR_SUCCESS;
         ++i) {
        ++count;
        auto info = [&](const char* prop) {
            char v[MAX_PATH * 2] = {};
            DWORD n = sizeof v;
            return MsiGetProductInfoA(code, prop, v, &n) == ERROR_SUCCESS ? std::string(v)
                                                                          : "<missing>";
        };
        Line("product", code);
        Line("product.version", info(INSTALLPROPERTY_VERSIONSTRING));
        Line("product.icon", info(INSTALLPROPERTY_PRODUCTICON));
    }
    Line("products", std::to_string(count));
}

// Every uninstall entry named "Vantrel": per machine and per user, and for
// the machine both registry views (a 32-bit package's entry is in the 32-bit one).
void PrintUninstallEntries() {
    int count = 0;
    struct Place {
        HKEY root;
        REGSAM view;
    };
    for (Place place : {Place{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                        Place{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, Place{HKEY_CURRENT_USER, 0}}) {
        for (const auto& sub : SubKeys(place.root, kUninstall, place.view)) {
            HKEY k = nullptr;
            std::string path = std::string(kUninstall) + "\\" + sub;
            if (RegOpenKeyExA(place.root, path.c_str(), 0, KEY_READ | place.view, &k) !=
                ERROR_SUCCESS)
                continue;
            if (RegString(k, "", "DisplayName") == "Vantrel") {
                ++count;
                Line("uninstall.key", sub);
                Line("uninstall.version", RegString(k, "", "DisplayVersion"));
                Line("uninstall.location", RegString(k, "", "InstallLocation"));
                Line("uninstall.publisher", RegString(k, "", "Publisher"));
                Line("uninstall.icon", RegString(k, "", "DisplayIcon"));
            }
            RegCloseKey(k);
        }
    }
    Line("uninstall.count", std::to_string(count));
}

int State(const std::string& upgradeCode) {
    std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vantrel";
    Line("installdir", dir);
    Line("installdir.exists",
         GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES ? "1" : "0");
    Line("file.Vantrel.exe", FileSize(dir + "\\Vantrel.exe"));
    Line("file.VTHook.dll", FileSize(dir + "\\VTHook.dll"));
    PrintShortcut(Folder(CSIDL_PROGRAMS) + "\\Vantrel.lnk");
    PrintProducts(upgradeCode);
    PrintUninstallEntries();
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    Line("run.Vantrel", RegString(HKEY_CURRENT_USER, run, "Vantrel"));
    Line("run.Other", RegString(HKEY_CURRENT_USER, run, "Other"));
    Line("verb.command",
         RegString(HKEY_CURRENT_USER, "Software\\Classes\\Folder\\shell\\Add to Vantrel\\command",
                   nullptr));
    PrintInstance();
    return 0;
}

std::vector<HWND> VisibleMenus(DWORD pid) {
    std::vector<HWND> menus;
    if (!pid) return menus;
    for (HWND w : test::TopWindowsOfProcess(pid))
        if (IsWindowVisible(w) && test::ClassNameOf(w) == "#32768") menus.push_back(w);
    return menus;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string cmd = argv[1];
    std::string arg = argc > 2 ? argv[2] : "";
    DWORD ms = static_cast<DWORD>(std::strtoul(arg.c_str(), nullptr, 10));
    CoInitialize(nullptr);
    int rc = 2;
    if (cmd == "state" && !arg.empty()) {
        rc = State(arg);
    } else if (cmd == "wait-instance") {
        rc = test::WaitUntil([] { return InstancePid() != 0; }, ms) ? 0 : 1;
        PrintInstance();
    } else if (cmd == "wait-no-instance") {
        // The record goes with the process; a process that lingers without
        // its record still holds the program files.
        DWORD pid = InstancePid();
        vt::UniqueKernelHandle p(pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
        rc = test::WaitUntil(
                 [&] {
                     return !PublishedWindow() &&
                            (!p || WaitForSingleObject(p.Get(), 0) == WAIT_OBJECT_0);
                 },
                 ms)
                 ? 0
                 : 1;
        PrintInstance();
    } else if (cmd == "wait-gone" && argc > 3) {
        // pkgprobe wait-gone <ms> <pid>: until that process has ended.
        const DWORD pid = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
        vt::UniqueKernelHandle p(OpenProcess(SYNCHRONIZE, FALSE, pid));
        rc = !p || WaitForSingleObject(p.Get(), ms) == WAIT_OBJECT_0 ? 0 : 1;
    } else if (cmd == "wait-menu") {
        rc = test::WaitUntil([] { return !VisibleMenus(InstancePid()).empty(); }, ms) ? 0 : 1;
        Line("menus", std::to_string(VisibleMenus(InstancePid()).size()));
    } else if (cmd == "close-menu") {
        // The menu's owner ends the menu when it is told to cancel modes.
        if (HWND w = PublishedWindow()) PostMessageA(w, WM_CANCELMODE, 0, 0);
        rc = test::WaitUntil([] { return VisibleMenus(InstancePid()).empty(); }, ms) ? 0 : 1;
        Line("menus", std::to_string(VisibleMenus(InstancePid()).size()));
    }
    std::fflush(stdout);
    CoUninitialize();
    return rc;
}
