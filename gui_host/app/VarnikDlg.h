// CVarnikDlg: the main window: port status and commands, and the device
// controllers the user can start or add.
#pragma once

#include "app_framework/afx.h"
#include "gui_host/ControllerTable.h"
#include "gui_host/PortStatus.h"
#include "gui_host/VersionTexts.h"
#include "resource.h"

#include <string>

class CKIVInstance_0;

class CVarnikDlg : public CDialog, private varnik::UserMessages {
public:
    enum { IDD = IDD_VARNIK_DIALOG };
    CVarnikDlg(CKIVInstance_0* instance, varnik::ControllerTable& controllers, host_common::VersionWords fileVersion);

    void SetDevice(CHapDeviceComm_0* device) { m_device = device; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnConfigurePort();
    void OnOpenPort();
    void OnClosePort();
    void OnAddController();
    void OnListDoubleClick(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void Show(std::string_view text, std::string_view caption, varnik::MessageIcon icon) override;
    void PrepareList();
    void FillList();
    void RefreshStatus();
    int StartRow(int row);
    int SelectedRow() const;
    void ShowAboutBox();

    CKIVInstance_0* m_instance;
    varnik::ControllerTable& m_controllers;
    host_common::VersionWords m_fileVersion;
    CHapDeviceComm_0* m_device = nullptr;
    HICON m_icon = nullptr;
    std::string m_programFolder; // with a trailing backslash
    CListCtrl m_list;
};
