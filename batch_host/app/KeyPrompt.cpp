// Waiting for one key press on the console or one byte of redirected input.
#include "KeyPrompt.h"

#include "win32/lean_windows.h"

#include <conio.h>

namespace merrow {

void WaitForKey()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return; // no input at all: nobody could ever press a key
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
        _getch();
        return;
    }
    // A pipe or file: a byte stands for the key; end of input or an error ends
    // the wait, so a program run from a script never hangs here.
    char key = 0;
    DWORD read = 0;
    ReadFile(input, &key, 1, &read, nullptr);
}

} // namespace merrow
