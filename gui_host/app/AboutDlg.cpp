// The about box: header painting with the masked logo, version line and file list.
#include "AboutDlg.h"

#include "gui_host/FileList.h"
#include "gui_host/VersionTexts.h"
#include "resource.h"
#include "win32/find_files.h"
#include "win32/version_resource.h"

using namespace varnik;

namespace {

// Colours and fonts selected into a device context, put back on destruction.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

std::vector<DirectoryEntry> ListWithFindFile(const std::string& pathPattern)
{
    std::vector<DirectoryEntry> entries;
    for (win32::FoundFile& found : win32::FindFiles(pathPattern))
        entries.push_back({std::move(found.name), found.IsDirectory()});
    return entries;
}

// The product version of a file's version resource, found by the platform's
// module search for a relative name.
std::optional<win32::VersionNumber> ProductVersionOf(const std::string& name)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(name);
    return resource ? resource->ProductVersion() : std::nullopt;
}

win32::UniqueFont DialogFontWithWeight(HFONT dialogFont, LONG weight)
{
    LOGFONTA font{};
    GetObjectA(dialogFont ? dialogFont : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = weight;
    return win32::UniqueFont(CreateFontIndirectA(&font));
}

} // namespace

BEGIN_MESSAGE_MAP(CApplicationAboutDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CApplicationAboutDlg::CApplicationAboutDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CApplicationAboutDlg::AddFileList(const std::vector<std::string>& names, bool clear, bool sort)
{
    if (clear)
        m_files.clear();
    m_files.insert(m_files.end(), names.begin(), names.end());
    if (sort)
        SortFileList(m_files);
}

bool CApplicationAboutDlg::AddFilesBySearch(const std::string& folder, const std::string& pattern, bool recursive,
                                            bool clear, bool sort)
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::string path(full, length);
    if (path.back() != '\\')
        path += '\\';
    if (m_searchRoot.empty())
        m_searchRoot = path;
    std::vector<std::string> found;
    SearchFiles(m_searchRoot, path, pattern, recursive, &ListWithFindFile, found);
    AddFileList(found, clear, sort);
    return true;
}

BOOL CApplicationAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    BuildVersionLine();
    SetWindowText(m_title);
    if (m_icon)
        GetDlgItem(IDC_ABOUT_ICON)->SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(m_icon));
    LoadLogo();
    FillFileList();
    return TRUE;
}

std::string CApplicationAboutDlg::VersionLookupName(const std::string& name) const
{
    // A found name is relative to the searched folder; a name with a folder
    // part would otherwise be looked up from the current directory, which need
    // not be the program folder. Other names go through the module search.
    if (!m_searchRoot.empty()) {
        const std::string full = m_searchRoot + name;
        if (GetFileAttributesA(full.c_str()) != INVALID_FILE_ATTRIBUTES)
            return full;
    }
    return name;
}

void CApplicationAboutDlg::BuildVersionLine()
{
    m_versionLine.clear();
    if (m_files.empty())
        return;
    if (const std::optional<win32::VersionNumber> version = ProductVersionOf(VersionLookupName(m_files.front())))
        m_versionLine = AboutVersionLine(version->Dotted());
}

void CApplicationAboutDlg::LoadLogo()
{
    m_logo.reset(static_cast<HBITMAP>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_ABOUT_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!m_logo)
        return;
    BITMAP info{};
    GetObjectA(m_logo.get(), sizeof info, &info);
    m_logoSize = {info.bmWidth, info.bmHeight};

    // The mask is white where the logo is transparent; the logo's transparent
    // pixels turn black so that AND with the mask, then OR with the logo, leaves
    // the background there.
    m_logoMask.reset(CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
    win32::UniqueMemoryDC logoDC(CreateCompatibleDC(nullptr));
    win32::UniqueMemoryDC maskDC(CreateCompatibleDC(nullptr));
    SelectedObject logoSelected(logoDC.get(), m_logo.get());
    SelectedObject maskSelected(maskDC.get(), m_logoMask.get());
    const COLORREF transparent = GetPixel(logoDC.get(), 170, 0);
    SetBkColor(logoDC.get(), transparent);
    BitBlt(maskDC.get(), 0, 0, info.bmWidth, info.bmHeight, logoDC.get(), 0, 0, SRCCOPY);
    SetBkColor(logoDC.get(), RGB(0, 0, 0));
    SetTextColor(logoDC.get(), RGB(255, 255, 255));
    BitBlt(logoDC.get(), 0, 0, info.bmWidth, info.bmHeight, maskDC.get(), 0, 0, SRCAND);
}

void CApplicationAboutDlg::FillFileList()
{
    m_list.Attach(GetDlgItem(IDC_ABOUT_FILES)->m_hWnd);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    m_list.GetClientRect(&client);
    const int width = client.right - client.left;
    m_list.InsertColumn(0, "File", LVCFMT_LEFT, width * 5 / 10);
    m_list.InsertColumn(1, "Version", LVCFMT_LEFT, width * 5 / 10 - GetSystemMetrics(SM_CXVSCROLL) - 2);
    for (size_t i = 0; i < m_files.size(); ++i) {
        const int row = m_list.InsertItem(static_cast<int>(i), m_files[i].c_str());
        const std::optional<win32::VersionNumber> version = ProductVersionOf(VersionLookupName(m_files[i]));
        const std::string text = version ? "V " + version->Dotted() : std::string("Unavailable");
        m_list.SetItemText(row, 1, text.c_str());
    }
    m_list.Detach();
}

void CApplicationAboutDlg::DrawLogo(CDC& dc, int x, int y) const
{
    // Monochrome to colour: mask bits 1 (transparent) become the background
    // colour white, which AND keeps; bits 0 become black, cleared for the OR.
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    win32::UniqueMemoryDC memory(CreateCompatibleDC(dc));
    {
        SelectedObject mask(memory.get(), m_logoMask.get());
        BitBlt(dc, x, y, m_logoSize.cx, m_logoSize.cy, memory.get(), 0, 0, SRCAND);
    }
    SelectedObject logo(memory.get(), m_logo.get());
    BitBlt(dc, x, y, m_logoSize.cx, m_logoSize.cy, memory.get(), 0, 0, SRCPAINT);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

void CApplicationAboutDlg::OnPaint()
{
    CPaintDC dc(this);
    PaintHeader(dc);
}

void CApplicationAboutDlg::PaintHeader(CDC& dc)
{
    RECT band;
    GetClientRect(&band);
    band.bottom = band.bottom * 10 / 30;
    dc.FillSolidRect(&band, RGB(255, 255, 255));

    RECT list, window;
    GetDlgItem(IDC_ABOUT_FILES)->GetWindowRect(&list);
    GetWindowRect(&window);
    int x0 = list.left - window.left - GetSystemMetrics(SM_CXBORDER);
    if (m_logo) {
        DrawLogo(dc, x0, band.bottom / 2 - m_logoSize.cy / 2);
        x0 += m_logoSize.cx + 20;
    }

    win32::UniqueFont bold = DialogFontWithWeight(GetFont(), FW_BOLD);
    win32::UniqueFont normal = DialogFontWithWeight(GetFont(), FW_NORMAL);
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc.SetTextColor(RGB(0, 0, 0));
    HGDIOBJ oldFont = dc.SelectObject(bold.get());

    RECT measured{x0, band.top, band.right * 3 / 4, band.bottom / 3};
    dc.DrawText(m_productName, &measured, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT);
    dc.DrawText(m_productName, &measured, DT_SINGLELINE | DT_BOTTOM);

    dc.SelectObject(normal.get());
    if (!m_sideText.empty()) {
        dc.SetTextColor(m_sideTextColour);
        RECT side{measured.right + 10, band.top, band.right, band.bottom / 3};
        dc.DrawText(m_sideText, &side, DT_SINGLELINE | DT_VCENTER);
        dc.SetTextColor(RGB(0, 0, 0));
    }
    RECT version{x0, band.bottom / 3, band.right, band.bottom * 2 / 3};
    dc.DrawText(m_versionLine, &version, DT_SINGLELINE | DT_VCENTER);
    RECT notice{x0, band.bottom * 2 / 3, band.right, band.bottom};
    dc.DrawText(m_notice, &notice, DT_SINGLELINE | DT_VCENTER);

    dc.SelectObject(oldFont);
    dc.SetTextColor(oldColour);
    dc.SetBkMode(oldMode);
}
