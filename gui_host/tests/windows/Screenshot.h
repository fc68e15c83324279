// Asks the screenshot script (gui_host/tests/screenshot.sh) to capture a
// window; does nothing unless VARNIK_SCREENSHOT_DIR names the folder.
#pragma once

#include "win32/lean_windows.h"

#include <string>

namespace varnik_test {

// Writes "<name>\n<window title>\n<x> <y> <width> <height>" to request.txt in the folder and waits (at
// most 30 s) until the script has taken the picture and removed the request.
// False when the script did not answer in time.
bool RequestScreenshot(const std::string& name, const std::string& windowTitle);
// The same for an area of the screen given in screen coordinates.
bool RequestScreenshot(const std::string& name, const std::string& label, const RECT& area);

} // namespace varnik_test
