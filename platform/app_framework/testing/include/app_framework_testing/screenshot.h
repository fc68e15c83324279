// Pictures of the test display for a look by eye, taken with ImageMagick's
// import, a Linux program that Wine starts for the test.
#pragma once

#include "win32/lean_windows.h"

#include <string>

// Where pictures go: SUITE_SCREENSHOT_DIR when set (a Windows path), else
// screenshots\ beside the build tree the test program runs from
// (build\<preset>\tests\x.exe gives build\screenshots\). Trailing backslash.
std::string ScreenshotFolder();

// True when import is installed; a test without it skips.
bool CanTakeScreenshots();

// Writes <name>.png of the whole display, of an area in screen coordinates
// or of a window with its frame into the folder. Meanwhile the thread's
// windows are served, so that they can paint. False when no complete picture
// was there within the time.
bool TakeScreenshot(const std::string& name, DWORD timeoutMs = 20000);
bool TakeScreenshot(const std::string& name, const RECT& area, DWORD timeoutMs = 20000);
bool TakeScreenshot(const std::string& name, HWND window, DWORD timeoutMs = 20000);
