// Entry of the message-test programs: common controls and rich edit registered,
// and no framework message box may wait for a user during a run.
#include <gtest/gtest.h>

#include "app_framework/afx.h"

namespace {

int refuseMessageBox(void*, HWND, const char* text, const char* caption, UINT)
{
    ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
    return IDCANCEL;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    AfxInitCommonControls();
    AfxInitRichEdit();
    AfxSetMessageBoxHook(&refuseMessageBox, nullptr);
    return RUN_ALL_TESTS();
}
