// The terminal device client (object id 4096).
#include "terminal/TerminalClient.h"

#include "KIVInst.h"
#include "terminal/TerminalDialog.h"

#include <new>

namespace kivinst {

unsigned long CKIVTerminalClient::GetObjType()
{
    return KIV_ID_TERMINAL;
}

CKIVDialog* CKIVTerminalClient::CreateDialogObject(HWND parent)
{
    return new (std::nothrow) CTerminalDialog(CWnd::FromHandle(parent));
}

CKIVObject_0* CreateTerminalClient()
{
    return new (std::nothrow) CKIVTerminalClient;
}

void DeleteTerminalClient(CKIVObject_0* object)
{
    delete static_cast<CKIVTerminalClient*>(object);
}

} // namespace kivinst
