// CNumericEdit: an entry field for a non-negative integer within limits.
#pragma once

#include "app_framework/afx.h"
#include "kl7700_controls/IntegerText.h"

// Attached to a template edit control by subclassing. Only digits and
// Backspace can be typed; pasted text loses its non-digits; on focus loss and
// on GetValue the text is read, clamped to the limits and shown again.
class CNumericEdit : public CEdit {
public:
    CNumericEdit() = default;

    void SetLimits(UINT minimum, UINT maximum);
    void SetValue(UINT value);
    // Reads the field (leading digits, empty = 0), clamps, shows the result and returns it.
    UINT GetValue();
    UINT GetMinimum() const { return m_limits.minimum; }
    UINT GetMaximum() const { return m_limits.maximum; }

protected:
    void OnChar(UINT key, UINT repeat, UINT flags);
    void OnKillFocus(CWnd* next);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void show(UINT value);
    void removeNonDigits();

    UINT m_value = 0;
    kl7700::controls::IntegerLimits m_limits;
    // Cleaning changes the text again; one guard for every field, as one field's
    // change may make its owner set another field's text.
    static bool s_cleaning;
};
