// Test program entry: controls registered, and no message box may wait for a user.
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
