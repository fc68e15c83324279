// CDoubleNumberEdit: an entry field for a real number with fixed decimals, digit grouping, limits and digit-wise caret moves.
#pragma once

#include "app_framework/afx.h"
#include "kl7700_controls/NumberEditing.h"

// Attached to a template edit control by subclassing. Every edit (typing,
// Backspace, Delete, paste) is parsed, clamped and shown again at once, with
// the caret kept at its digit distance from the decimal separator.
class CDoubleNumberEdit : public CEdit {
public:
    // Takes the user's decimal separator when the system reports one.
    CDoubleNumberEdit();

    void SetLimits(double minimum, double maximum); // no limits while maximum <= minimum
    void SetValue(double value);
    double GetValue() const { return m_value; }
    void SetDecimalSeparator(char separator);
    void SetGroupSeparator(char separator);
    void SetDecimals(unsigned decimals);
    void SetGroupSize(unsigned digits);

    const kl7700::controls::NumberFormat& GetFormat() const { return m_format; }
    bool IsInsertMode() const { return m_insertMode; }

protected:
    void OnChar(UINT key, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKillFocus(CWnd* next);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    LRESULT OnCopy(WPARAM wParam, LPARAM lParam);
    LRESULT OnCut(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    LRESULT OnClear(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    kl7700::controls::FieldText field() const;
    // Shows the edited text parsed, clamped and regrouped, the caret at its digit distance.
    void apply(const kl7700::controls::EditedText& edited);
    // Shows the stored value with the caret at the given digit distance.
    void showValue(int caretDistance);
    int currentDistance() const;
    void changeFormat(const kl7700::controls::NumberFormat& format);
    void select(int anchor, int caret);
    int caretPosition() const;
    int anchorPosition() const;
    int positionAt(CPoint point) const;

    kl7700::controls::NumberFormat m_format;
    char m_alternativeDecimalKey = ',';
    kl7700::controls::NumberLimits m_limits;
    double m_value = 0.0;
    bool m_insertMode = true;
    // The edit control reports its selection ordered; which end holds the caret is kept here.
    int m_anchor = 0;
    int m_caret = 0;
    bool m_dragging = false;
};
