// The version text of a module from its version resource.
#pragma once

#include "win32/lean_windows.h"

#include <string>

namespace kivinst {

// "V<a>.<b>.<c> build <d>" from the module's file version; empty without one.
std::string ModuleVersionText(HMODULE module);

} // namespace kivinst
