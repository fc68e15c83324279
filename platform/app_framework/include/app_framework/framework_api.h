// Export macro and the Win32 include every framework header starts from.
#pragma once

#include "win32/lean_windows.h"
#include <commctrl.h>
// Included here so that their A/W name macros (FindText, ...) apply alike in every file.
#include <commdlg.h>
#include <richedit.h>

// One macro exports the framework's classes from AppFramework.dll and imports
// them everywhere else, so every module shares one window map and one set of
// module states.
#ifdef APP_FRAMEWORK_BUILDING
#define AFX_API __declspec(dllexport)
#else
#define AFX_API __declspec(dllimport)
#endif
