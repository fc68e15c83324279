// Tab pages of the control dialog: a child dialog per page and the tab control that shows one at a time.
#pragma once

#include "app_framework/afx.h"
#include "kl7700_controls/ColorStatic.h"
#include "kl7700_controls/DoubleNumberEdit.h"
#include "kl7700_controls/NumericEdit.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class CKIV_KL7700CtrlDlg;

// A page edits the control dialog's working record; a page without owner does nothing.
class CDialogPage : public CDialog {
public:
    CDialogPage(UINT templateId, CKIV_KL7700CtrlDlg* owner);

    // save true: controls into the working record; false: record into controls.
    virtual bool DataTransfer(bool save);
    virtual void AfterTransfer();
    virtual void OnActivation(bool shown);
    // Enter while a control of the page has the focus.
    virtual void OnEnterKey(int focusId);

    BOOL Create(CWnd* parent) { return CDialog::Create(m_nIDHelp, parent); }
    int TabIndex() const { return m_tabIndex; }
    void SetTabIndex(int index) { m_tabIndex = index; }
    CKIV_KL7700CtrlDlg* Owner() const { return m_owner; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;     // Enter: the focused field's change handler
    void OnCancel() override; // Escape does nothing on a page
    void OnDestroy();
    BOOL PreTranslateMessage(MSG* msg) override;

    // Minimum and maximum labels: white on dark grey, grey text while disabled.
    void AttachLimitLabel(int id);
    void RecolourLimitLabels();
    // Entry fields: integers with limits, or real numbers shown with decimals and digit groups.
    void AttachIntegerField(int id, UINT maxChars);
    void AttachRealField(int id, unsigned decimals, unsigned groupSize);
    // Tooltips of the page's controls.
    void AddTip(int id, const char* text);

    CKIV_KL7700CtrlDlg* m_owner;
    CToolTipCtrl m_toolTip;

    DECLARE_MESSAGE_MAP()

private:
    int m_tabIndex = -1;
    std::vector<std::unique_ptr<CColorStatic>> m_limitLabels;
    std::vector<std::unique_ptr<CNumericEdit>> m_integerFields;
    std::vector<std::unique_ptr<CDoubleNumberEdit>> m_realFields;
};

// The tab control holding up to 16 pages in insertion order.
class CDialogPageCtrl : public CTabCtrl {
public:
    static constexpr int kMaxPages = 16;

    bool AddPage(CDialogPage* page, const char* title);
    // Shows the tab's selected page, sized and placed inside the tab control.
    void SelectPage();
    // DataTransfer on every page; on a failure selects that page and returns false.
    bool TransferAll(bool save);

    int PageCount() const { return m_count; }
    CDialogPage* Page(int index) const { return index >= 0 && index < m_count ? m_pages[index] : nullptr; }

private:
    int HeaderHeight() const;

    std::array<CDialogPage*, kMaxPages> m_pages{};
    int m_count = 0;
};

// Right-click menus of the pages: items with their greyed state, and which one was chosen.
struct PresetItem {
    std::string text;
    bool enabled;
};
// Shows the menu at the cursor; the index of the chosen item, or -1.
int TrackPresetMenu(CWnd* owner, const std::vector<PresetItem>& items);
