// CValueView: the editor strip of one attribute below the attribute tree, a
// form view from a template with a label, the value's controls and apply and
// reload icon buttons; PValueObserver hears the user's apply and reload.
#pragma once

#include "app_framework/afx.h"
#include "attr_editor/ValueEditor.h"
#include "AttrEditorIds.h"

#include <string>

class PValueObserver {
public:
    virtual ~PValueObserver() = default;
    // 1: write the view's value to the camera; 0: read the view again from it.
    virtual void OnValueAction(int apply) = 0;
};

// The base knows no value; each kind of value has its view (ValueViews.h).
// The dialog owns its view: deleting the object destroys the window.
class CValueView : public CFormView, public attr_editor::ValueEditor {
public:
    explicit CValueView(UINT templateId = IDD_VALUE_ENUM);
    ~CValueView() override;

    // A visible child of the parent in the rectangle; false when an icon is
    // missing or the window cannot be made.
    BOOL Create(PValueObserver* observer, const RECT& rect, CWnd* parent);

    virtual void SetAttrName(const std::string& name);
    // Enter was pressed in the dialog: applies when a value control has the
    // focus (TRUE), else FALSE.
    virtual BOOL OnEnterKey();

    void ShowAttrName(const std::string& name) override { SetAttrName(name); }
    HICON GetApplyIcon() const { return m_applyIcon.get(); }
    HICON GetReloadIcon() const { return m_reloadIcon.get(); }

protected:
    // True when the focus is on one of the view's controls with these ids.
    bool FocusOn(std::initializer_list<int> ids) const;
    void OnApply();
    void OnReload();

    PValueObserver* m_pObserver = nullptr;
    win32::UniqueIcon m_applyIcon;
    win32::UniqueIcon m_reloadIcon;

    DECLARE_MESSAGE_MAP()
};
