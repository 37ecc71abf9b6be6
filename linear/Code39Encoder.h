#pragma once

#include "linear/LinearSymbol.h"

namespace linear {

// Code 39 of the input in upper case, framed by "*", with an optional
// modulo-43 check character.
LinearSymbol encodeCode39(const QString& input, bool addCheck);

} // namespace linear
