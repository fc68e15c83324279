// Helpers of the controls' message tests: bounded pumping and reading edit fields.
#pragma once

#include "app_framework/afx.h"

#include <functional>
#include <string>
#include <utility>

// Dispatches messages until the condition holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 3000);
void PumpPending();

std::string TextOf(HWND window);
// The ordered selection an edit control reports.
std::pair<int, int> SelectionOf(HWND edit);
void TypeText(HWND edit, const std::string& keys);
// A key press of an extended key (arrows, Insert, Delete), optionally with Shift held.
void PressExtendedKey(HWND edit, UINT key, bool shift = false);
// Text of the clipboard's CF_TEXT, empty when none.
std::string ClipboardText();
