// The value view's strip.
#include "ContainerView.h"

BEGIN_MESSAGE_MAP(CContainerView, CView)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CContainerView::OnDraw(CDC* dc)
{
    CRect client;
    GetClientRect(&client);
    ::FillRect(dc->GetSafeHdc(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

// The paint fills everything; an erase first would only flicker.
BOOL CContainerView::OnEraseBkgnd(CDC*) { return TRUE; }
