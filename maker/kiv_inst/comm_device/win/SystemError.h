// Texts of Windows error codes for the user.
#pragma once

#include <string>

namespace kivinst {

// "Access is denied." and the like, without the trailing line break.
std::string systemErrorText(unsigned long code);

} // namespace kivinst
