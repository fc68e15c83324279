// The main window of Varnik.
#include "VarnikDlg.h"

#include "AboutDlg.h"
#include "gui_host/VersionTexts.h"
#include "resource.h"

#include "KIVInst.h"
#include "win32/module.h"

using namespace varnik;

namespace {

UINT IconFlag(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case MessageIcon::None:
        break;
    }
    return 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CVarnikDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_CONFIGURE_PORT, OnConfigurePort)
    ON_BN_CLICKED(IDC_OPEN_PORT, OnOpenPort)
    ON_BN_CLICKED(IDC_CLOSE_PORT, OnClosePort)
    ON_BN_CLICKED(IDC_ADD_CONTROLLER, OnAddController)
    ON_NOTIFY(NM_DBLCLK, IDC_CONTROLLER_LIST, OnListDoubleClick)
END_MESSAGE_MAP()

CVarnikDlg::CVarnikDlg(CKIVInstance_0* instance, ControllerTable& controllers, host_common::VersionWords fileVersion)
    : CDialog(IDD), m_instance(instance), m_controllers(controllers), m_fileVersion(fileVersion)
{
    m_icon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

BOOL CVarnikDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::string aboutText = AfxLoadString(IDS_ABOUTBOX);
    if (CMenu* menu = GetSystemMenu(FALSE); menu && !aboutText.empty()) {
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
    }
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    m_programFolder = FolderWithBackslash(win32::ModulePath(AfxGetInstanceHandle()));
    SetWindowText(MainWindowTitle(m_fileVersion));
    PrepareList();
    FillList();
    RefreshStatus();
    return TRUE;
}

void CVarnikDlg::PrepareList()
{
    m_list.SubclassDlgItem(IDC_CONTROLLER_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    CHeaderCtrl* header = m_list.GetHeaderCtrl();
    while (header && header->GetItemCount() > 1)
        m_list.DeleteColumn(header->GetItemCount() - 1);
    if (!header || header->GetItemCount() == 0)
        m_list.InsertColumn(0, "", LVCFMT_CENTER);
    header = m_list.GetHeaderCtrl();
    if (!header)
        return;
    RECT client;
    m_list.GetClientRect(&client);
    char heading[] = "Double click on an entry to start";
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = heading;
    item.cxy = client.right - client.left;
    item.fmt = HDF_LEFT | HDF_STRING;
    header->SetItem(0, &item);
}

void CVarnikDlg::FillList()
{
    if (!m_hWnd)
        return;
    m_list.DeleteAllItems();
    const auto& entries = m_controllers.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        m_list.InsertItem(static_cast<int>(i), entries[i].name.c_str());
}

void CVarnikDlg::RefreshStatus()
{
    const PortStatusView view = ReadPortStatus(m_device, this);
    GetDlgItem(IDC_OPEN_PORT)->EnableWindow(view.openEnabled);
    GetDlgItem(IDC_CLOSE_PORT)->EnableWindow(view.closeEnabled);
    SetDlgItemText(IDC_PORT_STATUS, view.text);
}

void CVarnikDlg::Show(std::string_view text, std::string_view caption, MessageIcon icon)
{
    AfxShowMessageBox(m_hWnd, std::string(text), std::string(caption), MB_OK | IconFlag(icon));
}

void CVarnikDlg::OnConfigurePort()
{
    ConfigurePort(m_device, this, m_hWnd, *this);
    RefreshStatus();
}

void CVarnikDlg::OnOpenPort()
{
    OpenPort(m_device, this, *this);
    RefreshStatus();
}

void CVarnikDlg::OnClosePort()
{
    ClosePort(m_device, this, *this);
    RefreshStatus();
}

int CVarnikDlg::SelectedRow() const
{
    return m_list.GetNextItem(-1, LVNI_SELECTED);
}

int CVarnikDlg::StartRow(int row)
{
    return StartController(
        m_controllers, row, m_device, [this] { RefreshStatus(); }, *this);
}

void CVarnikDlg::OnListDoubleClick(NMHDR*, LRESULT* result)
{
    StartRow(SelectedRow());
    *result = 0;
}

void CVarnikDlg::OnOK()
{
    CWnd* focus = GetFocus();
    const int focusId = focus && IsChild(focus) ? focus->GetDlgCtrlID() : 0;
    switch (DecideEnter(focusId, IDOK, IDC_CONTROLLER_LIST, m_list.GetSelectedCount())) {
    case EnterAction::EndDialog:
        EndDialog(IDOK);
        break;
    case EnterAction::StartSelected:
        StartRow(SelectedRow());
        break;
    case EnterAction::Nothing:
        break;
    }
}

void CVarnikDlg::OnAddController()
{
    CFileDialog dialog(TRUE, ".dll", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Device Controllers (*.dll)|*.dll|All files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Load a device controller";
    if (dialog.DoModal() != IDOK || !m_instance)
        return;
    if (m_instance->LoadDeviceClient(dialog.GetPathName().c_str()) != 0) {
        Show("Could not load device controller.\nPropably, the selected file is not a valid device controller",
             "Error", MessageIcon::Exclamation);
        return;
    }
    m_controllers.Refresh(*m_instance);
    FillList();
}

void CVarnikDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        ShowAboutBox();
    else
        CDialog::OnSysCommand(id, lParam);
}

void CVarnikDlg::ShowAboutBox()
{
    CApplicationAboutDlg about(this);
    about.SetTitle("About Varnik");
    about.SetProductName("Varnik");
    about.SetNotice("Copyright (C) 2026 Quarnel. All rights reserved.");
    about.AddFileList({"Varnik.exe", "Merrow.exe"}, true, false);
    about.AddFilesBySearch(m_programFolder, "*.dll", true, false, true);
    about.SetIcon(static_cast<HICON>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 32, 32, LR_SHARED)));
    about.DoModal();
}

void CVarnikDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_icon);
}

HCURSOR CVarnikDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_icon);
}
