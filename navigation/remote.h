// Records and strings placed in another process, for control messages whose
// lParam is a pointer the system does not marshal (TVM_GETITEMW,
// BFFM_SETSELECTIONW). The pointer must be valid in the control's process.
// Text goes both ways as UTF-16, whatever code page the other program runs in.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "navigation/sendwindow.h"

namespace vt::nav {

// Exactly PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE.
inline constexpr DWORD kRemoteAccess = 0x38;

// One block committed in another process together with the process handle
// opened for it. Owns both: the block is released (VirtualFreeEx, MEM_RELEASE)
// and the handle closed on destruction, unless the block was abandoned to a
// process that may still use it.
class RemoteBlock {
public:
    RemoteBlock() = default;
    ~RemoteBlock() { Release(); }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    RemoteBlock(RemoteBlock&& o) noexcept;
    RemoteBlock& operator=(RemoteBlock&& o) noexcept;

    // Opens the process and commits size bytes (MEM_COMMIT | MEM_RESERVE,
    // PAGE_READWRITE) at an address the system chooses. Empty on failure.
    static RemoteBlock Allocate(DWORD pid, size_t size);

    explicit operator bool() const { return address_ != nullptr; }
    void* Address() const { return address_; }
    LPARAM AsLParam() const { return reinterpret_cast<LPARAM>(address_); }
    size_t Size() const { return size_; }
    HANDLE Process() const { return process_.Get(); }

    // Copies into / out of the block; true only when the system call returned
    // exactly 1 and the range lies inside the block.
    bool Write(size_t offset, const void* data, size_t n) const;
    bool Read(size_t offset, void* data, size_t n) const;

    // Frees the block and closes the handle now.
    void Release();
    // For a message that timed out: the other process may still read the
    // block, so it is left there; only the handle is closed.
    void Abandon();

private:
    UniqueKernelHandle process_;  // owned, opened with kRemoteAccess
    void* address_ = nullptr;     // in the other process
    size_t size_ = 0;
};

// Whether a process has 64-bit pointers. Unknown (no access) counts as this
// build's own bitness.
bool IsProcess64(DWORD pid);

// The TVITEM record (A and W have one layout) as a process of either bitness
// lays it out.
struct TreeItemLayout {
    size_t size;
    size_t mask, item, text, textMax;  // field offsets
};
TreeItemLayout TreeItemLayoutFor(bool target64);

// The record asking for an item's text: mask TVIF_TEXT | TVIF_HANDLE, the item,
// the text pointer and its capacity; every other byte zero.
std::vector<BYTE> BuildTreeItemRecord(bool target64, std::uint64_t item, std::uint64_t textAddress,
                                      int textMax);

// Text area that follows the record in the block, in UTF-16 units: an item
// text of up to 4055 characters comes back whole.
inline constexpr size_t kTreeTextUnits = 4056;

// Text of a tree-view item of any process, read with TVM_GETITEMW; empty on
// any failure (no window, no access, no such item, no answer in time).
std::string ReadRemoteTreeItemText(HWND tree, HTREEITEM item,
                                   UINT timeoutMs = kDefaultSendTimeoutMs);

// The string in UTF-16 with its terminating zero ((units + 1) * 2 bytes) in
// the process that owns window, for a W message; empty block on failure. The
// caller sends its messages, then releases the block, or abandons it if one
// of them timed out.
RemoteBlock PlaceRemoteString(HWND window, const std::string& text);

}  // namespace vt::nav
