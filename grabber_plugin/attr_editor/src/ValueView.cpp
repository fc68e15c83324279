// The value views' common part: creation with the icon buttons, the name
// label, the apply and reload buttons and the Enter key.
#include "ValueView.h"

BEGIN_MESSAGE_MAP(CValueView, CFormView)
    ON_BN_CLICKED(IDC_VALUE_APPLY, OnApply)
    ON_BN_CLICKED(IDC_VALUE_RELOAD, OnReload)
END_MESSAGE_MAP()

CValueView::CValueView(UINT templateId) : CFormView(templateId)
{
    // The icons are the plug-in's, whoever creates the view.
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_applyIcon = AfxLoadSmallIcon(IDI_VALUE_APPLY);
    m_reloadIcon = AfxLoadSmallIcon(IDI_VALUE_RELOAD);
}

CValueView::~CValueView() = default;

BOOL CValueView::Create(PValueObserver* observer, const RECT& rect, CWnd* parent)
{
    if (!m_applyIcon || !m_reloadIcon) return FALSE;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!CFormView::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent, 0)) return FALSE;
    for (const auto& [id, icon] : {std::pair{IDC_VALUE_APPLY, m_applyIcon.get()}, std::pair{IDC_VALUE_RELOAD, m_reloadIcon.get()}}) {
        if (HWND button = ::GetDlgItem(m_hWnd, id)) {
            const LONG_PTR style = ::GetWindowLongPtrA(button, GWL_STYLE);
            ::SetWindowLongPtrA(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_BITMAP)) | BS_ICON);
            ::SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        }
    }
    m_pObserver = observer;
    return TRUE;
}

void CValueView::SetAttrName(const std::string& name)
{
    SetDlgItemText(IDC_VALUE_LABEL, name);
}

BOOL CValueView::OnEnterKey() { return FALSE; }

bool CValueView::FocusOn(std::initializer_list<int> ids) const
{
    const HWND focus = ::GetFocus();
    if (!focus || !m_hWnd) return false;
    for (int id : ids)
        if (focus == ::GetDlgItem(m_hWnd, id)) return true;
    return false;
}

void CValueView::OnApply()
{
    if (m_pObserver) m_pObserver->OnValueAction(1);
}

void CValueView::OnReload()
{
    if (m_pObserver) m_pObserver->OnValueAction(0);
}
