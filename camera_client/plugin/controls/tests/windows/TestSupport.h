// Helpers of the controls' message tests: reading and typing into edit fields.
#pragma once

#include "app_framework_testing/message_tests.h"

#include <functional>
#include <string>
#include <utility>

// The ordered selection an edit control reports.
std::pair<int, int> SelectionOf(HWND edit);
void TypeText(HWND edit, const std::string& keys);
// A key press of an extended key (arrows, Insert, Delete), optionally with Shift held.
void PressExtendedKey(HWND edit, UINT key, bool shift = false);
// Text of the clipboard's CF_TEXT, empty when none.
std::string ClipboardText();
