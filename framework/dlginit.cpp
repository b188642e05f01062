#include "framework/dlginit.h"

#include <commctrl.h>
#include <string.h>

#include <string>

namespace vt {

namespace {
// Message numbers of the 16-bit era that resource compilers still write.
constexpr WORD kOldComboAddString = 0x0403;
constexpr WORD kOldListAddString = 0x0401;
}  // namespace

bool ExecuteDlgInitData(HWND dialog, const BYTE* data, size_t size) {
    size_t at = 0;
    // Each record: WORD control id, WORD message, DWORD length, then the data.
    while (at + sizeof(WORD) <= size) {
        WORD id = 0;
        memcpy(&id, data + at, sizeof id);
        if (id == 0) return true;  // end of the list
        if (at + 8 > size) return false;
        WORD message = 0;
        DWORD length = 0;
        memcpy(&message, data + at + 2, sizeof message);
        memcpy(&length, data + at + 4, sizeof length);
        at += 8;
        if (length > size - at) return false;
        HWND control = GetDlgItem(dialog, id);
        if (!control) return false;
        // Strings are zero-terminated inside their length; make sure of it.
        const std::string text(reinterpret_cast<const char*>(data + at),
                               strnlen(reinterpret_cast<const char*>(data + at), length));
        switch (message) {
            case kOldComboAddString:
            case CB_ADDSTRING:
                if (SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) <
                    0)
                    return false;
                break;
            case kOldListAddString:
            case LB_ADDSTRING:
                if (SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) <
                    0)
                    return false;
                break;
            default:
                return false;  // nothing else is written by our templates
        }
        at += length;
    }
    return true;
}

bool ExecuteDlgInit(HWND dialog, HINSTANCE instance, UINT templateId) {
    HRSRC res = FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(kRtDlgInit));
    if (!res) return true;
    HGLOBAL loaded = LoadResource(instance, res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    return ExecuteDlgInitData(dialog, static_cast<const BYTE*>(data),
                              SizeofResource(instance, res));
}

}  // namespace vt
