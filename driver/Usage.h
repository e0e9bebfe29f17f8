#pragma once
#include <string>

namespace qx {

// The usage text printed when fewer than two arguments are given.
std::string UsageText();

}  // namespace qx
