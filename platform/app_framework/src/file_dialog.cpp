// CFileDialog over GetOpenFileNameA / GetSaveFileNameA.
#include "app_framework/file_dialog.h"

std::string AfxFilterToNulSeparated(const std::string& filter)
{
    std::string result = filter;
    for (char& c : result) {
        if (c == '|')
            c = '\0';
    }
    // The list ends with two NULs whether or not the text ended in "||".
    while (result.size() < 2 || result[result.size() - 1] != '\0' || result[result.size() - 2] != '\0')
        result.push_back('\0');
    return result;
}

CFileDialog::CFileDialog(BOOL openDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_open(openDialog)
{
    if (filter)
        m_filter = AfxFilterToNulSeparated(filter);
    if (defaultExtension)
        m_defaultExtension = defaultExtension[0] == '.' ? defaultExtension + 1 : defaultExtension;
    if (fileName)
        lstrcpynA(m_file, fileName, sizeof m_file);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = AfxGetSafeHwnd(parent);
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_file;
    m_ofn.nMaxFile = sizeof m_file;
    m_ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING | (openDialog ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : 0);
}

INT_PTR CFileDialog::DoModal()
{
    BOOL chosen = m_open ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetFileName() const
{
    std::string path = m_file;
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CFileDialog::GetFileExt() const
{
    std::string name = GetFileName();
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}
