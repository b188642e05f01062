#include "shell/systemimagelist.h"

#include <shellapi.h>

#include <atomic>

#include "framework/text.h"

namespace vt {

namespace {

std::atomic<int> instanceCount{0};

// Any existing folder will do to obtain the list; the temporary-files folder
// always exists.
HIMAGELIST ShellSmallImageList() {
    char temp[kPathBufferBytes] = {};
    DWORD len = GetTempPathA(sizeof temp, temp);
    if (len == 0 || len >= sizeof temp) return nullptr;
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(temp, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace

CSystemImageList::CSystemImageList() {
    ++instanceCount;
    Attach(ShellSmallImageList(), /*owned=*/false);
}

CSystemImageList::~CSystemImageList() {
    --instanceCount;
    Detach();
}

int CSystemImageList::InstanceCount() { return instanceCount; }

CSystemImageList& CSystemImageList::Get() {
    // Made on first use: asking the shell for its image list builds that
    // list, which is slow, and start-up must not wait for it. Destroyed
    // after main returns.
    static CSystemImageList list;
    return list;
}

}  // namespace vt
