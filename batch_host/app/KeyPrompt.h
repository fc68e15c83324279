// The "-p" prompt: one key press before the console window goes away.
#pragma once

namespace merrow {

// Waits for one key press without echo. When standard input is not a console
// one byte is read from it instead, and the end of the input ends the wait.
void WaitForKey();

} // namespace merrow
