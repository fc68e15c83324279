// The feature control dialog: initialisation, layout, the refresh timer, the
// selection of an attribute and the apply and reload of its value view.
#include "ZelmkAPIFeatureCtrlDialog.h"

#include "AttrEditorIds.h"
#include "FramixZelmkAPIClass.h"
#include "GrabberLog.h"
#include "ValueViews.h"

#include <algorithm>

// The apply's partner: the owner's log, events and the tree.
class CZelmkAPIFeatureCtrlDialog::Host : public attr_editor::FeatureHost {
public:
    explicit Host(CZelmkAPIFeatureCtrlDialog& dialog) : m_dialog(dialog) {}

    void LogError(const std::string& text) override { m_dialog.LogError(text); }
    void ReportApiError(const std::string& text, uint32_t code) override
    {
        if (CFramixZelmkAPIClass* grabber = m_dialog.Grabber()) grabber->PrintApiError(text.c_str(), code);
    }
    void RefreshSelectedItem() override
    {
        if (m_dialog.m_pTreeCtrl) m_dialog.RefreshItem(m_dialog.m_pTreeCtrl->GetSelectedItem(), 0);
    }
    void RefreshImpacts(const std::string& impacts) override { m_dialog.RefreshImpacts(impacts); }
    uint32_t SignalDialogEvent(uint32_t event) override
    {
        return m_dialog.m_pOwner ? m_dialog.m_pOwner->SignalCamCntrlDlgEvent(event) : 0;
    }

private:
    CZelmkAPIFeatureCtrlDialog& m_dialog;
};

BEGIN_MESSAGE_MAP(CZelmkAPIFeatureCtrlDialog, CCamCntrlDlgBase)
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_FEATURE_CLOSE, OnCloseButton)
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_GETMINMAXINFO()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CZelmkAPIFeatureCtrlDialog::CZelmkAPIFeatureCtrlDialog() : CCamCntrlDlgBase(IDD_ZELMK_FEATURE_CTRL, nullptr)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_smallIcon = AfxLoadSmallIcon(IDI_ZELMK_FEATURE_CTRL);
}

CZelmkAPIFeatureCtrlDialog::~CZelmkAPIFeatureCtrlDialog()
{
    // Destroyed here, while the object is whole, so that the destroy handler
    // gives the window handle back to the grabber and frees the views.
    try {
        if (GetSafeHwnd()) DestroyWindow();
    } catch (...) {
    }
}

BOOL CZelmkAPIFeatureCtrlDialog::DestroyWindow()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CCamCntrlDlgBase::DestroyWindow();
}

BOOL CZelmkAPIFeatureCtrlDialog::CreateCamCntrlDlg(UINT templateId, CWnd* parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CCamCntrlDlgBase::CreateCamCntrlDlg(templateId, parent);
}

// ---------------------------------------------------------------- the owner

CFramixZelmkAPIClass* CZelmkAPIFeatureCtrlDialog::Grabber() const
{
    // The grabber is the only owner this dialog is ever given.
    return static_cast<CFramixZelmkAPIClass*>(m_pOwner);
}

MkHandle CZelmkAPIFeatureCtrlDialog::CameraHandle() const
{
    const CFramixZelmkAPIClass* grabber = Grabber();
    return grabber && grabber->GetMkApi() && grabber->GetMkApi()->IsValid() ? grabber->GetCameraHandle() : nullptr;
}

const zelmk::MkApiFunctions* CZelmkAPIFeatureCtrlDialog::Api() const
{
    const CFramixZelmkAPIClass* grabber = Grabber();
    return grabber && grabber->GetMkApi() && grabber->GetMkApi()->IsValid() ? &grabber->GetMkApi()->Functions() : nullptr;
}

void CZelmkAPIFeatureCtrlDialog::LogError(const std::string& text) const
{
    // A text, never a format: attribute names are data.
    if (m_pOwner && m_pOwner->GetLog()) m_pOwner->GetLog()->PrintText(0, text.c_str());
}

// ---------------------------------------------------------------- life

BOOL CZelmkAPIFeatureCtrlDialog::OnInitDialog()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CCamCntrlDlgBase::OnInitDialog();
    SetIcon(m_smallIcon.get(), FALSE);
    if (m_pOwner) m_pOwner->RegisterWindowHandle(m_hWnd);

    CRect client, button;
    GetClientRect(&client);
    if (CWnd* close = GetDlgItem(IDC_FEATURE_CLOSE)) {
        close->GetWindowRect(&button);
        ScreenToClient(&button);
    }
    m_dx = client.right - button.left;
    m_dy = client.bottom - button.top;
    m_margin = client.bottom - button.bottom;
    m_buttonWidth = button.right - button.left;
    m_buttonHeight = button.bottom - button.top;
    m_rightReserve = (client.right - button.left) + (client.right - button.right);

    m_pTreeView = std::make_unique<CAttrTreeView>();
    if (m_pTreeView->Create(this, 0, 0, this, IDC_FEATURE_TREE_VIEW)) {
        m_pTreeCtrl = &m_pTreeView->GetTreeCtrl();
        m_hRoot = m_pTreeCtrl->GetRootItem();
        m_content = std::make_unique<attr_editor::AttrTreeContent>(
            m_pTreeView->Tree(), attr_editor::CameraAccess{Api(), [this] { return CameraHandle(); }});
    }
    m_pContainerView = std::make_unique<CContainerView>();
    m_pContainerView->Create(nullptr, "cntview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, -1, -1), this,
                             IDC_FEATURE_CONTAINER_VIEW);

    Layout(client.Width(), client.Height());
    UpdateCamCntrlDlg(0xFFFFFFFF);
    m_timerId = SetTimer(kRefreshTimer, kRefreshPeriodMs);
    return TRUE;
}

void CZelmkAPIFeatureCtrlDialog::OnDestroy()
{
    m_pValueView.reset();
    m_pContainerView.reset();
    m_content.reset();
    m_pTreeCtrl = nullptr;
    m_hRoot = nullptr;
    m_pTreeView.reset();
    if (m_timerId) KillTimer(m_timerId);
    m_timerId = 0;
    if (m_pOwner) m_pOwner->UnRegisterWindowHandle(m_hWnd);
    CCamCntrlDlgBase::OnDestroy();
}

void CZelmkAPIFeatureCtrlDialog::OnCloseButton()
{
    if (!m_pOwner || m_pOwner->SignalCamCntrlDlgEvent(UG_DLGEVENT_CLOSE) == 1) ShowWindow(SW_HIDE);
}

void CZelmkAPIFeatureCtrlDialog::OnOK()
{
    // Enter applies in a value control; the dialog never closes on it.
    if (m_pValueView) m_pValueView->OnEnterKey();
}

void CZelmkAPIFeatureCtrlDialog::UpdateCamCntrlDlg(uint32_t mask)
{
    UpdateAttributeTree(mask);
}

void CZelmkAPIFeatureCtrlDialog::OnTimer(UINT_PTR id)
{
    if (id == kRefreshTimer && m_hRoot) {
        RefreshSubtree(m_hRoot, MK_FLAG_VOLATILE);
        // A camera taken off the wire answers every call "unplugged" and
        // the refresh would leave its last values standing as if current.
        const zelmk::MkApiFunctions* api = Api();
        const MkHandle handle = CameraHandle();
        if (api && handle && !m_rowsMarkedUnavailable) {
            const char* const* names = nullptr;
            uint32_t count = 0;
            if (api->MkAttrList(handle, &names, &count) == MK_ERR_UNPLUGGED) {
                m_rowsMarkedUnavailable = true;
                MarkRowsUnavailable(m_hRoot);
            }
        }
    }
    CCamCntrlDlgBase::OnTimer(id);
}

void CZelmkAPIFeatureCtrlDialog::MarkRowsUnavailable(HTREEITEM item)
{
    for (HTREEITEM child = m_pTreeCtrl->GetChildItem(item); child; child = m_pTreeCtrl->GetNextSiblingItem(child)) {
        const std::string text = m_pTreeCtrl->GetItemText(child);
        if (text.find(attr_editor::kColumnSeparator) != std::string::npos)
            m_pTreeCtrl->SetItemText(child,
                                     attr_editor::AttributeRowText(attr_editor::ColumnZero(text), "unavailable").c_str());
        else
            MarkRowsUnavailable(child);
    }
}

// ---------------------------------------------------------------- layout

void CZelmkAPIFeatureCtrlDialog::Layout(int width, int height)
{
    int strip = m_buttonHeight + 2 * m_margin;
    if (m_pValueView) strip = std::max(strip, ::GetSystemMetrics(SM_CYHSCROLL) + 33);
    auto place = [](CWnd* window, int x, int y, int cx, int cy) {
        if (window && window->GetSafeHwnd()) window->MoveWindow(x, y, std::max(0, cx), std::max(0, cy));
    };
    place(m_pTreeView.get(), 0, 0, width - 1, height - strip - 2);
    place(m_pContainerView.get(), 0, height - strip - 1, width - m_rightReserve - 1, strip);
    if (m_pValueView && m_pContainerView && m_pContainerView->GetSafeHwnd()) {
        CRect inside;
        m_pContainerView->GetClientRect(&inside);
        place(m_pValueView.get(), 0, 0, inside.Width(), inside.Height());
    }
    place(GetDlgItem(IDC_FEATURE_CLOSE), width - m_dx, height - m_dy, m_buttonWidth, m_buttonHeight);
}

void CZelmkAPIFeatureCtrlDialog::OnSize(UINT type, int cx, int cy)
{
    Layout(cx, cy);
    CCamCntrlDlgBase::OnSize(type, cx, cy);
}

void CZelmkAPIFeatureCtrlDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = kMinTrackWidth;
    info->ptMinTrackSize.y = kMinTrackHeight;
    CCamCntrlDlgBase::OnGetMinMaxInfo(info);
}

BOOL CZelmkAPIFeatureCtrlDialog::OnEraseBkgnd(CDC* dc)
{
    // What the children cover is theirs to paint: erasing it first flickers.
    // The DC may be a child's own: a push button asks its parent to paint the
    // background behind it into the button's DC before it draws itself, so
    // the clipping is undone before the DC goes back, or the button's own
    // area stays clipped away and "Close" is never drawn.
    const int saved = dc->SaveDC();
    for (CWnd* child : {static_cast<CWnd*>(m_pTreeView.get()), static_cast<CWnd*>(m_pValueView.get()), GetDlgItem(IDC_FEATURE_CLOSE)}) {
        if (!child || !child->GetSafeHwnd()) continue;
        CRect area;
        child->GetWindowRect(&area);
        ScreenToClient(&area);
        dc->ExcludeClipRect(&area);
    }
    const BOOL erased = CCamCntrlDlgBase::OnEraseBkgnd(dc);
    dc->RestoreDC(saved);
    return erased;
}

// ---------------------------------------------------------------- selection and values

void CZelmkAPIFeatureCtrlDialog::DeleteValueView()
{
    m_pValueView.reset();
}

void CZelmkAPIFeatureCtrlDialog::OnAttrSelected(const std::string& name)
{
    const zelmk::MkApiFunctions* api = Api();
    const MkHandle handle = CameraHandle();
    if (!api || !handle || !m_pContainerView) return;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());

    m_attrName = name;
    CRect inside;
    m_pContainerView->GetClientRect(&inside);
    DeleteValueView();
    m_attrInfo = {};
    m_attrCategory.clear();
    m_attrImpacts.clear();
    m_stopAcquisition = false;

    const uint32_t code = api->MkAttrInfo(handle, name.c_str(), &m_attrInfo);
    if (code != MK_ERR_SUCCESS) {
        m_attrInfo = {};
        if (CFramixZelmkAPIClass* grabber = Grabber()) grabber->PrintApiError("Failed to get info on the attribute", code);
    } else {
        m_attrCategory = m_attrInfo.category ? m_attrInfo.category : "";
        m_attrImpacts = m_attrInfo.impacts ? m_attrInfo.impacts : "";
        m_attrInfo.category = nullptr;
        m_attrInfo.impacts = nullptr;
        m_stopAcquisition = attr_editor::NeedsAcquisitionStop(api, handle, name, m_attrImpacts);
        const bool editable = (m_attrInfo.flags & MK_FLAG_WRITE) || m_attrInfo.type == MK_ATTR_COMMAND;
        if (editable && api->MkAttrIsAvailable(handle, name.c_str()) == MK_ERR_SUCCESS) {
            std::unique_ptr<CValueView> view(NewValueView(attr_editor::ViewKindFor(m_attrInfo.type)));
            const attr_editor::AttrAccess attr{*api, handle, name};
            if (view && view->Create(this, inside, m_pContainerView.get()) && attr_editor::FillEditor(attr, m_attrInfo.type, *view))
                m_pValueView = std::move(view);
            else
                LogError("Failed to create attribute edition field");
        }
    }
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
}

void CZelmkAPIFeatureCtrlDialog::OnValueAction(int apply)
{
    const zelmk::MkApiFunctions* api = Api();
    const MkHandle handle = CameraHandle();
    if (!api || !handle) return;
    const attr_editor::AttrAccess attr{*api, handle, m_attrName};
    if (!apply) {
        if (m_pValueView && (m_attrInfo.flags & MK_FLAG_WRITE)) attr_editor::ReloadEditor(attr, m_attrInfo.type, *m_pValueView);
        return;
    }
    Host host(*this);
    attr_editor::ApplyCurrentAttribute(attr, m_attrInfo.type, m_attrImpacts, m_stopAcquisition, m_pValueView.get(), host);
}

// ---------------------------------------------------------------- the tree's content

void CZelmkAPIFeatureCtrlDialog::UpdateAttributeTree(uint32_t mask)
{
    if (m_content) m_content->UpdateAttributeTree(mask);
}

bool CZelmkAPIFeatureCtrlDialog::GetValueText(const char* name, const struct MkAttrInfo& info, std::string& text) const
{
    return m_content && m_content->GetValueText(name, info, text);
}

HTREEITEM CZelmkAPIFeatureCtrlDialog::LookupChildItem(HTREEITEM parent, const std::string& text) const
{
    return m_content ? static_cast<HTREEITEM>(m_content->LookupChildItem(parent, text)) : nullptr;
}

HTREEITEM CZelmkAPIFeatureCtrlDialog::FindOrCreateCategory(const std::string& path)
{
    return m_content ? static_cast<HTREEITEM>(m_content->FindOrCreateCategory(path)) : nullptr;
}

HTREEITEM CZelmkAPIFeatureCtrlDialog::FindItemByPath(const std::string& path, bool exact) const
{
    return m_content ? static_cast<HTREEITEM>(m_content->FindItemByPath(path, exact)) : nullptr;
}

void CZelmkAPIFeatureCtrlDialog::RefreshItem(HTREEITEM item, uint32_t filter)
{
    if (m_content) m_content->RefreshItem(item, filter);
}

void CZelmkAPIFeatureCtrlDialog::RefreshSubtree(HTREEITEM item, uint32_t filter)
{
    if (m_content) m_content->RefreshSubtree(item, filter);
}

void CZelmkAPIFeatureCtrlDialog::RefreshImpacts(const std::string& impacts)
{
    if (m_content) m_content->RefreshImpacts(impacts);
}

bool CZelmkAPIFeatureCtrlDialog::TouchesImageFormat(const std::string& entry) const
{
    return attr_editor::TouchesImageFormat(Api(), CameraHandle(), entry);
}
