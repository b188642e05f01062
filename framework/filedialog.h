// The system's file-open and file-save dialogs.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace vt {

class CFileDialog {
public:
    // filter: pairs of description and patterns separated by '|', ending in
    // "||" (for example "Icons (*.ico)|*.ico|All Files (*.*)|*.*||").
    CFileDialog(bool openFileDialog, const char* defaultExtension = nullptr,
                const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                HWND parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a file, else IDCANCEL.
    INT_PTR DoModal();
    // The chosen file's full path.
    std::string GetPathName() const;

    // The filter as the system takes it: '\0' between the parts, "\0\0" at the end.
    static std::string SystemFilter(const char* filter);

    OPENFILENAMEA ofn_;  // points into the members below

private:
    bool open_;
    std::string filter_;
    std::string defaultExtension_;
    std::vector<char> file_;
};

}  // namespace vt
