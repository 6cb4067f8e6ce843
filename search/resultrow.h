#pragma once

#include <QString>

#include <array>

namespace kavinto {

// One data row of the result grid: 0 method id (hidden), 1 running number
// "1.", 2 method name, 3 function names each followed by "; ", 4 document
// file name (hidden).
using ResultRow = std::array<QString, 5>;

}  // namespace kavinto
