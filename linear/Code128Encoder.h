#pragma once

#include "linear/LinearSymbol.h"

namespace linear {

// Code 128 in code set B: Start B, one symbol character per input character
// (codes 32 to 126), the modulo-103 check character and Stop.
LinearSymbol encodeCode128(const QString& input);
int code128CheckValue(const QString& input);

} // namespace linear
