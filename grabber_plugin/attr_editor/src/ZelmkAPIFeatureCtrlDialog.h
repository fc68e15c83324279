// CZelmkAPIFeatureCtrlDialog: the grabber's "Camera Feature Control" dialog,
// a resizable modeless window with every attribute of the open camera in a
// tree, the editor of the selected one in a strip below it and "Close".
#pragma once

#include "AttrTreeView.h"
#include "ContainerView.h"
#include "ValueView.h"

#include "CamCntrlDlgBase.h"
#include "attr_editor/AttrTreeContent.h"
#include "attr_editor/FeatureActions.h"

#include <memory>
#include <string>

class CFramixZelmkAPIClass;

class CZelmkAPIFeatureCtrlDialog : public CCamCntrlDlgBase, public PAttrTreeViewObserver, public PValueObserver {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriodMs = 350;
    static constexpr int kMinTrackWidth = 300;
    static constexpr int kMinTrackHeight = 200;

    CZelmkAPIFeatureCtrlDialog();
    ~CZelmkAPIFeatureCtrlDialog() override;

    BOOL DestroyWindow() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The framework's update: the tree (the mask is not used).
    void UpdateCamCntrlDlg(uint32_t mask) override;
    BOOL CreateCamCntrlDlg(UINT templateId, CWnd* parent) override;

    void OnAttrSelected(const std::string& name) override;
    void OnValueAction(int apply) override;

    // The tree's content operations on the owner's open camera.
    void UpdateAttributeTree(uint32_t mask);
    bool GetValueText(const char* name, const struct MkAttrInfo& info, std::string& text) const;
    HTREEITEM LookupChildItem(HTREEITEM parent, const std::string& text) const;
    HTREEITEM FindOrCreateCategory(const std::string& path);
    HTREEITEM FindItemByPath(const std::string& path, bool exact) const;
    void RefreshItem(HTREEITEM item, uint32_t filter);
    void RefreshSubtree(HTREEITEM item, uint32_t filter);
    void RefreshImpacts(const std::string& impacts);
    bool TouchesImageFormat(const std::string& entry) const;

    // What the dialog holds, for its host and its tests.
    CAttrTreeView* GetTreeView() const { return m_pTreeView.get(); }
    CTreeCtrl* GetTreeCtrl() const { return m_pTreeCtrl; }
    CContainerView* GetContainerView() const { return m_pContainerView.get(); }
    CValueView* GetValueView() const { return m_pValueView.get(); }
    HTREEITEM GetRootItem() const { return m_hRoot; }
    const std::string& GetCurrentAttrName() const { return m_attrName; }
    bool GetAcquisitionStopFlag() const { return m_stopAcquisition; }

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnCloseButton();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    class Host;

    CFramixZelmkAPIClass* Grabber() const;
    MkHandle CameraHandle() const;
    const zelmk::MkApiFunctions* Api() const;
    void LogError(const std::string& text) const;
    void Layout(int width, int height);
    void DeleteValueView();
    // A camera that went away shows "unavailable" in every row once, instead
    // of the values it had.
    void MarkRowsUnavailable(HTREEITEM item);

    // Distances of the "Close" button from the client area's edges at initialisation.
    int m_dx = 0, m_dy = 0, m_margin = 0, m_buttonWidth = 0, m_buttonHeight = 0, m_rightReserve = 0;
    std::unique_ptr<CAttrTreeView> m_pTreeView;
    CTreeCtrl* m_pTreeCtrl = nullptr;
    std::unique_ptr<CContainerView> m_pContainerView;
    std::unique_ptr<CValueView> m_pValueView;
    std::unique_ptr<attr_editor::AttrTreeContent> m_content;
    HTREEITEM m_hRoot = nullptr;
    UINT_PTR m_timerId = 0;
    win32::UniqueIcon m_smallIcon;
    std::string m_attrName;
    struct MkAttrInfo m_attrInfo {};
    // The library's category and impact texts live only as long as the
    // camera's handle; the dialog keeps its own copies.
    std::string m_attrCategory;
    std::string m_attrImpacts;
    bool m_stopAcquisition = false;
    bool m_rowsMarkedUnavailable = false;
};
