// CContainerView: the strip below the attribute tree that holds the value
// view; it paints itself in the button-face colour and never erases.
#pragma once

#include "app_framework/afx.h"

class CContainerView : public CView {
public:
    void OnDraw(CDC* dc) override;

protected:
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};
