// CFont and CBitmap: GDI objects owned through the Win32 layer's handles, deleted with their object; icons from resources.
#pragma once

#include "app_framework/framework_api.h"
#include "win32/unique_handle.h"

class CDC;

class AFX_API CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT GetSafeHandle() const { return m_font.get(); }
    operator HFONT() const { return m_font.get(); }

    // Replaces a font it held.
    BOOL CreateFontIndirect(const LOGFONTA& description);
    // A copy of a font given by handle (a stock font, a window's font) with a
    // different weight: the way to get a bold variant.
    BOOL CreateWithWeight(HFONT from, LONG weight);
    BOOL GetLogFont(LOGFONTA* description) const;
    BOOL DeleteObject();

private:
    win32::UniqueFont m_font;
};

class AFX_API CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    HBITMAP GetSafeHandle() const { return m_bitmap.get(); }
    operator HBITMAP() const { return m_bitmap.get(); }

    // A bitmap in the device's format; FALSE (and none held) when GDI refuses.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL GetBitmap(BITMAP* info) const;
    BOOL DeleteObject();

private:
    win32::UniqueBitmap m_bitmap;
};

// An icon resource at the given size, from the current module state's
// resources (AfxGetResourceHandle), else from the program's; null when
// neither has it. The caller owns the copy.
AFX_API win32::UniqueIcon AfxLoadIcon(UINT id, int cx, int cy);
// The same at the system's small-icon size (window captions, icon buttons, lists).
AFX_API win32::UniqueIcon AfxLoadSmallIcon(UINT id);
