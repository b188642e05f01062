#include "framework/filedialog.h"

#include <string.h>

#include "framework/systemlibrary.h"
#include "framework/text.h"

namespace vt {

std::string CFileDialog::SystemFilter(const char* filter) {
    std::string f = filter ? filter : "";
    for (char& c : f)
        if (c == '|') c = '\0';
    // Two terminating zeros, however the text ended.
    while (f.size() < 2 || f[f.size() - 1] != '\0' || f[f.size() - 2] != '\0') f.push_back('\0');
    return f;
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, const char* filter, HWND parent)
    : open_(openFileDialog), file_(kPathBufferBytes + 1, '\0') {
    ofn_ = {};
    ofn_.lStructSize = sizeof ofn_;
    ofn_.hwndOwner = parent;
    if (filter) {
        filter_ = SystemFilter(filter);
        ofn_.lpstrFilter = filter_.c_str();
    }
    if (defaultExtension) {
        // The system wants the extension without its dot.
        defaultExtension_ = defaultExtension[0] == '.' ? defaultExtension + 1 : defaultExtension;
        ofn_.lpstrDefExt = defaultExtension_.c_str();
    }
    if (fileName) strncpy(file_.data(), fileName, file_.size() - 1);
    ofn_.lpstrFile = file_.data();
    ofn_.nMaxFile = static_cast<DWORD>(file_.size());
    ofn_.Flags = flags | OFN_EXPLORER;
}

namespace {
using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEA*);

// The dialog library is bound at the first dialog, not when the program
// loads: under Wine loading it also starts the printing libraries, a large
// part of a start-up that shows no file dialog. Kept until the process ends.
FileDialogFn BindFileDialog(bool open) {
    static HMODULE const library = LoadSystemLibrary("comdlg32.dll");
    if (!library) return nullptr;
    return reinterpret_cast<FileDialogFn>(reinterpret_cast<void*>(
        GetProcAddress(library, open ? "GetOpenFileNameA" : "GetSaveFileNameA")));
}
}  // namespace

INT_PTR CFileDialog::DoModal() {
    // A system without the dialog library is answered like a cancelled dialog.
    const FileDialogFn show = BindFileDialog(open_);
    return show && show(&ofn_) ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const { return std::string(file_.data()); }

}  // namespace vt
