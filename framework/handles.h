// Owning RAII handles. Each owns exactly one system handle, cannot be copied,
// can be moved, and releases the handle with the matching call on destruction.
// Non-owning access to windows is CWnd (wnd.h), never one of these.
#pragma once
#include <windows.h>

#include <utility>

namespace vt {

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept : h_(Traits::Invalid()) {}
    explicit UniqueHandle(Type h) noexcept : h_(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }

    Type Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    // Gives up ownership without releasing.
    Type Release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void Reset(Type h = Traits::Invalid()) noexcept {
        Type old = std::exchange(h_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type h_;
};

namespace traits {
struct Kernel {  // mutexes, mappings, processes, snapshots: null is none
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
struct File {  // CreateFile, CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE is none
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct Module {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
struct Icon {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyIcon(h); }
};
struct Menu {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyMenu(h); }
};
struct Hook {
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { UnhookWindowsHookEx(h); }
};
struct MemDC {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};
struct MapView {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { UnmapViewOfFile(p); }
};
template <class T>
struct Gdi {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
}  // namespace traits

using UniqueKernelHandle = UniqueHandle<traits::Kernel>;
using UniqueFileHandle = UniqueHandle<traits::File>;
using UniqueModule = UniqueHandle<traits::Module>;
using UniqueIcon = UniqueHandle<traits::Icon>;
using UniqueMenuHandle = UniqueHandle<traits::Menu>;
using UniqueHook = UniqueHandle<traits::Hook>;
using UniqueMemDC = UniqueHandle<traits::MemDC>;
using UniqueMapView = UniqueHandle<traits::MapView>;
template <class T>
using UniqueGdi = UniqueHandle<traits::Gdi<T>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueRgn = UniqueGdi<HRGN>;

// Selects a GDI object into a device context for the lifetime of the guard.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect() {
        if (old_) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Runs a callable on scope exit (for paired calls such as AttachThreadInput).
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (active_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

}  // namespace vt
