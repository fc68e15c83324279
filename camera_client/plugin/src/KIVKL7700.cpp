// The camera's device client.
#include "KIVKL7700.h"

#include "KIV_KL7700CtrlDlg.h"

#include <new>

unsigned long CKIVKL7700::GetObjType() { return kKL7700ObjectType; }

CKIVDialog* CKIVKL7700::CreateDialogObject(HWND parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        return new CKIV_KL7700CtrlDlg(CWnd::FromHandle(parent));
    } catch (...) {
        return nullptr;
    }
}
