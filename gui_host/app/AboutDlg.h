// CApplicationAboutDlg: the about box with a painted header (logo, product
// name, version and notice lines) and the installed files with their versions.
#pragma once

#include "app_framework/afx.h"
#include "resource.h"

#include <string>
#include <vector>

class CApplicationAboutDlg : public CDialog {
public:
    enum { IDD = IDD_APPLICATION_ABOUT };
    explicit CApplicationAboutDlg(CWnd* parent = nullptr);

    void SetTitle(const std::string& title) { m_title = title; }
    void SetNotice(const std::string& notice) { m_notice = notice; }
    void SetProductName(const std::string& name) { m_productName = name; }
    void SetSideText(const std::string& text) { m_sideText = text; }
    void SetIcon(HICON icon) { m_icon = icon; }

    void AddFileList(const std::vector<std::string>& names, bool clear, bool sort);
    // Searches folder for pattern; the first call fixes the root that names are
    // made relative to. False (list unchanged) when the folder has no full path.
    bool AddFilesBySearch(const std::string& folder, const std::string& pattern, bool recursive, bool clear,
                          bool sort);

    const std::vector<std::string>& FileList() const { return m_files; }
    // Paints the header band in client coordinates (the paint handler's work;
    // also used to render it off-screen).
    void PaintHeader(CDC& dc);
    const std::string& VersionLine() const { return m_versionLine; }

protected:
    BOOL OnInitDialog() override;
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    std::string VersionLookupName(const std::string& name) const;
    void BuildVersionLine();
    void LoadLogo();
    void FillFileList();
    void DrawLogo(CDC& dc, int x, int y) const;

    std::string m_title;
    std::string m_notice;
    std::string m_productName;
    std::string m_versionLine;
    std::string m_sideText;
    COLORREF m_sideTextColour = 0xFF0000;
    std::vector<std::string> m_files;
    std::string m_searchRoot;
    HICON m_icon = nullptr;
    win32::UniqueBitmap m_logo;
    win32::UniqueBitmap m_logoMask;
    SIZE m_logoSize{};
    CListCtrl m_list;
};
