#pragma once

#include "linear/LinearSymbol.h"

namespace linear {

// Codabar between the start and stop character "a"; digits and "-$:/.+" only.
LinearSymbol encodeCodabar(const QString& input);

} // namespace linear
