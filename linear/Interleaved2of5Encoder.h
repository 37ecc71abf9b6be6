#pragma once

#include "linear/LinearSymbol.h"

namespace linear {

// Interleaved 2 of 5: digits only, padded with a leading "0" to an even count,
// with an optional modulo-10 check digit (rightmost data digit weighs 3).
LinearSymbol encodeInterleaved2of5(const QString& input, bool addCheck);

} // namespace linear
