// CFileDialog: the system's open and save dialogs with "Name|*.ext|...||" filters.
#pragma once

#include "app_framework/wnd.h"

#include <commdlg.h>

#include <string>

class AFX_API CFileDialog {
public:
    CFileDialog(BOOL openDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a file, IDCANCEL otherwise.
    INT_PTR DoModal();
    std::string GetPathName() const { return m_file; }
    std::string GetFileName() const; // without the folder
    std::string GetFileExt() const;  // without the dot

    // Set lpstrTitle, lpstrInitialDir and flags here before DoModal.
    OPENFILENAMEA m_ofn{};

private:
    BOOL m_open;
    std::string m_filter; // with NUL separators
    std::string m_defaultExtension;
    char m_file[MAX_PATH * 4] = {};
};

// "A|*.a|B|*.b||" to the NUL-separated, double-NUL-ended form of OPENFILENAME.
AFX_API std::string AfxFilterToNulSeparated(const std::string& filter);
