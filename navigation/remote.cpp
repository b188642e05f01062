#include "navigation/remote.h"

#include <cstring>
#include <utility>

#include "framework/text.h"

namespace vt::nav {

RemoteBlock::RemoteBlock(RemoteBlock&& o) noexcept
    : process_(std::move(o.process_)),
      address_(std::exchange(o.address_, nullptr)),
      size_(std::exchange(o.size_, 0)) {}

RemoteBlock& RemoteBlock::operator=(RemoteBlock&& o) noexcept {
    if (this != &o) {
        Release();
        process_ = std::move(o.process_);
        address_ = std::exchange(o.address_, nullptr);
        size_ = std::exchange(o.size_, 0);
    }
    return *this;
}

RemoteBlock RemoteBlock::Allocate(DWORD pid, size_t size) {
    RemoteBlock b;
    if (!pid || !size) return b;
    b.process_.Reset(OpenProcess(kRemoteAccess, FALSE, pid));
    if (!b.process_) return b;
    b.address_ =
        VirtualAllocEx(b.process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!b.address_) {
        b.process_.Reset();
        return b;
    }
    b.size_ = size;
    return b;
}

bool RemoteBlock::Write(size_t offset, const void* data, size_t n) const {
    if (!address_ || offset > size_ || n > size_ - offset) return false;
    SIZE_T done = 0;
    return WriteProcessMemory(process_.Get(), static_cast<char*>(address_) + offset, data, n,
                              &done) == 1;
}

bool RemoteBlock::Read(size_t offset, void* data, size_t n) const {
    if (!address_ || offset > size_ || n > size_ - offset) return false;
    SIZE_T done = 0;
    return ReadProcessMemory(process_.Get(), static_cast<const char*>(address_) + offset, data, n,
                             &done) == 1;
}

void RemoteBlock::Release() {
    if (address_) VirtualFreeEx(process_.Get(), address_, 0, MEM_RELEASE);
    address_ = nullptr;
    size_ = 0;
    process_.Reset();
}

void RemoteBlock::Abandon() {
    address_ = nullptr;
    size_ = 0;
    process_.Reset();
}

namespace {

bool IsWow64(HANDLE process) {
    BOOL wow = FALSE;
    return IsWow64Process(process, &wow) && wow;
}

}  // namespace

bool IsProcess64(DWORD pid) {
    const bool self64 = sizeof(void*) == 8;
    const bool os64 = self64 || IsWow64(GetCurrentProcess());
    if (!os64) return false;
    UniqueKernelHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!h) return self64;
    return !IsWow64(h.Get());
}

TreeItemLayout TreeItemLayoutFor(bool target64) {
    // mask, hItem, state, stateMask, pszText, cchTextMax, iImage,
    // iSelectedImage, cChildren, lParam; pointers aligned to their size.
    if (target64) return TreeItemLayout{56, 0, 8, 24, 32};
    return TreeItemLayout{40, 0, 4, 16, 20};
}

std::vector<BYTE> BuildTreeItemRecord(bool target64, std::uint64_t item, std::uint64_t textAddress,
                                      int textMax) {
    const TreeItemLayout l = TreeItemLayoutFor(target64);
    std::vector<BYTE> rec(l.size, 0);
    const UINT mask = TVIF_TEXT | TVIF_HANDLE;
    std::memcpy(&rec[l.mask], &mask, sizeof mask);
    const size_t ptr = target64 ? 8 : 4;  // little-endian: the low bytes come first
    std::memcpy(&rec[l.item], &item, ptr);
    std::memcpy(&rec[l.text], &textAddress, ptr);
    std::memcpy(&rec[l.textMax], &textMax, sizeof textMax);
    return rec;
}

std::string ReadRemoteTreeItemText(HWND tree, HTREEITEM item, UINT timeoutMs) {
    DWORD pid = 0;
    if (!tree || !GetWindowThreadProcessId(tree, &pid) || !pid) return {};
    const bool target64 = IsProcess64(pid);
    const TreeItemLayout layout = TreeItemLayoutFor(target64);
    const size_t textBytes = kTreeTextUnits * sizeof(wchar_t);
    RemoteBlock block = RemoteBlock::Allocate(pid, layout.size + textBytes);
    if (!block) return {};
    const auto base = static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(block.Address()));
    const std::vector<BYTE> rec =
        BuildTreeItemRecord(target64, reinterpret_cast<UINT_PTR>(item), base + layout.size,
                            static_cast<int>(kTreeTextUnits));
    if (!block.Write(0, rec.data(), rec.size())) return {};
    LRESULT answer = 0;
    const SendStatus st = SendToWindow(tree, TVM_GETITEMW, 0, block.AsLParam(), &answer, timeoutMs,
                                       MessageForm::Wide);
    if (st == SendStatus::TimedOut) {
        block.Abandon();
        return {};
    }
    if (st != SendStatus::Answered || answer != 1) return {};
    std::vector<wchar_t> text(kTreeTextUnits, L'\0');
    if (!block.Read(layout.size, text.data(), textBytes)) return {};
    // A control that filled the area to the brim wrote no terminating zero.
    return ToNarrow(text.data(), text.size());
}

RemoteBlock PlaceRemoteString(HWND window, const std::string& text) {
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid) || !pid) return {};
    const std::wstring wide = ToWide(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    RemoteBlock block = RemoteBlock::Allocate(pid, bytes);
    if (!block || !block.Write(0, wide.c_str(), bytes)) return {};
    return block;
}

}  // namespace vt::nav
