// CFont and CBitmap.
#include "app_framework/gdi_objects.h"

#include "app_framework/dc.h"
#include "app_framework/module_state.h"

BOOL CFont::CreateFontIndirect(const LOGFONTA& description)
{
    m_font.reset(::CreateFontIndirectA(&description));
    return m_font ? TRUE : FALSE;
}

BOOL CFont::CreateWithWeight(HFONT from, LONG weight)
{
    LOGFONTA description{};
    if (!from || ::GetObjectA(from, sizeof description, &description) != sizeof description) {
        m_font.reset();
        return FALSE;
    }
    description.lfWeight = weight;
    return CreateFontIndirect(description);
}

BOOL CFont::GetLogFont(LOGFONTA* description) const
{
    return m_font && ::GetObjectA(m_font.get(), sizeof *description, description) == sizeof *description;
}

BOOL CFont::DeleteObject()
{
    bool held = static_cast<bool>(m_font);
    m_font.reset();
    return held;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    m_bitmap.reset(dc && width > 0 && height > 0 ? ::CreateCompatibleBitmap(dc->m_hDC, width, height) : nullptr);
    return m_bitmap ? TRUE : FALSE;
}

BOOL CBitmap::GetBitmap(BITMAP* info) const
{
    return m_bitmap && ::GetObjectA(m_bitmap.get(), sizeof *info, info) == sizeof *info;
}

BOOL CBitmap::DeleteObject()
{
    bool held = static_cast<bool>(m_bitmap);
    m_bitmap.reset();
    return held;
}

win32::UniqueIcon AfxLoadIcon(UINT id, int cx, int cy)
{
    for (HINSTANCE module : {AfxGetResourceHandle(), ::GetModuleHandleA(nullptr)}) {
        if (!module || !::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14))) // RT_GROUP_ICON
            continue;
        if (HANDLE icon = ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, 0))
            return win32::UniqueIcon(static_cast<HICON>(icon));
    }
    return win32::UniqueIcon();
}

win32::UniqueIcon AfxLoadSmallIcon(UINT id)
{
    return AfxLoadIcon(id, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
}
